// Parsers of the card's replies, one table per parser, one row per reply as a card
// sends it.
#include "card/ResponseParser.h"

#include <gtest/gtest.h>

#include <random>

namespace vr31k {
namespace {

struct FinalRow {
    const char* name;
    std::string raw;
    unsigned result;
    std::string line;
    std::string remainder;
};

TEST(ParseFinalResult, Table) {
    const FinalRow rows[] = {
        {"ok only", "\r\nOK\r\n", CARD_OK, "OK", ""},
        {"model then ok", "\r\nVR31K\r\n\r\nOK\r\n", CARD_OK, "VR31K", ""},
        {"first info line wins", "\r\n+CGDCONT: 1\r\n+CGDCONT: 2\r\n\r\nOK\r\n", CARD_OK, "+CGDCONT: 1", ""},
        {"text after ok ignored", "\r\n3\r\n\r\nOK\r\n\r\nRING\r\n", CARD_OK, "3", ""},
        {"error", "\r\nERROR\r\n", CARD_ERR_FORMAT, "ERROR", ""},
        {"cme error", "\r\n+CME ERROR: 16\r\n", CARD_ERR_FORMAT, "+CME ERROR: 16", ""},
        {"error then more", "\r\nERROR\r\nXY\r\n", CARD_ERR_FORMAT, "ERROR", "XY\r\n"},
        {"short", "\r\nOK\r", CARD_ERR_FORMAT, "\r\nOK\r", ""},
        {"empty", "", CARD_ERR_FORMAT, "", ""},
        {"ok without leading crlf", "OK\r\n\r\n", CARD_ERR_FORMAT, "OK", "\r\n"},
        {"line without end", "\r\n+CPIN: READY", CARD_ERR_FORMAT, "+CPIN: READY", ""},
    };
    for (const auto& row : rows) {
        std::string reply = row.raw, remainder = "untouched";
        if (row.raw.size() < 6) remainder = "";
        EXPECT_EQ(ParseFinalResult(reply, remainder), row.result) << row.name;
        EXPECT_EQ(reply, row.line) << row.name;
        EXPECT_EQ(remainder, row.remainder) << row.name;
    }
}

TEST(ParseSubscriberNumber, Table) {
    struct Row {
        const char* line;
        unsigned result;
        const char* number;
        int type;
    } rows[] = {
        {"OK", CARD_OK, "", 0},
        {"+CNUM: ,\"09012345678\",129", CARD_OK, "09012345678", 129},
        {"+CNUM:,\"+819012345678\",145", CARD_OK, "+819012345678", 145},
        {"+CNUM: ,\"0901\", 129", CARD_OK, "0901", 129},
        {"+CNUM: \"Own\",\"0901\",129", CARD_ERR_FORMAT, "", 0},
        {"+CNUM: ,0901,129", CARD_ERR_FORMAT, "", 0},
        {"+CNUM: ,\"0901", CARD_ERR_FORMAT, "", 0},
        {"+CNUM: ,\"0901\"", CARD_ERR_FORMAT, "", 0},
        {"+CNUM: ,\"0901\",x", CARD_ERR_FORMAT, "", 0},
        {"+CME ERROR: 10", CME_ERROR_BASE + 10, "", 0},
        {"+CME ERROR: ", CARD_ERR_FORMAT, "", 0},
        {"+CME ERROR: 99999999", CARD_ERR_FORMAT, "", 0},
        {"ERROR", CARD_ERR_FORMAT, "", 0},
    };
    for (const auto& row : rows) {
        std::string number = "stale";
        int type = -1;
        EXPECT_EQ(ParseSubscriberNumber(row.line, number, type), row.result) << row.line;
        EXPECT_EQ(number, row.number) << row.line;
        EXPECT_EQ(type, row.type) << row.line;
    }
}

TEST(ParsePdpContexts, Table) {
    struct Row {
        const char* name;
        std::string raw;
        PdpContextList expected;
    } rows[] = {
        {"none", "\r\nOK\r\n", {}},
        {"one card context",
         "\r\n+CGDCONT: 1,\"IP\",\"korvane.example\",\"0.0.0.0\",0,0\r\n\r\nOK\r\n",
         {"korvane.example"}},
        {"duplicates in other case and a gap",
         "\r\n+CGDCONT: 1,\"IP\",\"Apn.One\",\"0.0.0.0\",0,0\r\n+CGDCONT: 3,\"IP\",\"APN.ONE\",\"\",0,0\r\n\r\nOK\r\n",
         {"Apn.One", "", ""}},
        {"ids 2 and 10, unordered",
         "\r\n+CGDCONT: 10,\"IP\",\"ten\"\r\n+CGDCONT: 2,\"IP\",\"two\"\r\nOK\r\n",
         {"", "two", "", "", "", "", "", "", "", "ten"}},
        {"ids outside 1-10 ignored",
         "\r\n+CGDCONT: 0,\"IP\",\"zero\"\r\n+CGDCONT: 11,\"IP\",\"eleven\"\r\n+CGDCONT: 4,\"IP\",\"four\"\r\nOK\r\n",
         {"", "", "", "four"}},
        {"empty apn",
         "\r\n+CGDCONT: 1,\"IP\",\"\",\"0.0.0.0\",0,0\r\nOK\r\n",
         {}},
        {"apn cut at a space", "\r\n+CGDCONT: 1,\"IP\",\"a b\"\r\nOK\r\n", {"a"}},
        {"lf only and a short line",
         "\n+CGDCONT: 5\n+CGDCONT: 6,\"IP\",\"six\"\nOK\n",
         {"", "", "", "", "", "six"}},
        {"other lines ignored", "\r\nAT+CGDCONT?\r\n+CGDCONTX: 1,\"IP\",\"x\"\r\nERROR\r\n", {}},
    };
    for (const auto& row : rows) {
        PdpContextList list;
        list.fill("stale");
        ParsePdpContexts(row.raw, list);
        EXPECT_EQ(list, row.expected) << row.name;
    }
}

TEST(SimStateOfLine, Table) {
    const std::pair<const char*, unsigned> rows[] = {
        {"+CPIN: READY", SIM_READY},         {"+CPIN: SIM PIN", SIM_PIN_REQUIRED},
        {"+CPIN: SIM PUK", SIM_PUK_REQUIRED}, {"+CME ERROR: 10", SIM_NOT_INSERTED},
        {"+CME ERROR: 13", SIM_FAILURE},      {"+CME ERROR: 14", SIM_BUSY},
        {"+CME ERROR: 15", SIM_WRONG},        {"+CME ERROR: 11", CARD_ERR_FORMAT},
        {"+CPIN: READY ", CARD_ERR_FORMAT},   {"OK", CARD_ERR_FORMAT},
        {"ERROR", CARD_ERR_FORMAT},           {"+CPIN: PH-SIM PIN", CARD_ERR_FORMAT},
    };
    for (const auto& [line, state] : rows) EXPECT_EQ(SimStateOfLine(line), state) << line;
}

TEST(HasFinalResult, Table) {
    const std::pair<std::string, bool> rows[] = {
        {"\r\nOK\r\n", true},
        {"\r\nKORVANE\r\n", false},
        {"\r\nKORVANE\r\n\r\nOK\r\n", true},
        {"\r\nOK\r", false},  // its LF may still come
        {"\r\nOK", false},
        {"\r\nERROR\r\n", true},
        {"\r\n+CME ERROR: 16\r\n", true},
        {"\r\n+CME ERROR: x\r\n", false},
        {"\r\nCONNECT\r\n", true},
        {"\r\nCONNECT 7200000\r\n", true},
        {"\r\nNO CARRIER\r\n", true},
        {"\r\nOKAY\r\n", false},
        {"OK\n", true},
        {"", false},
    };
    for (const auto& [reply, final] : rows) EXPECT_EQ(HasFinalResult(reply), final) << reply;
}

TEST(CutEcho, Table) {
    struct Row {
        std::string reply;
        EchoCut cut;
        std::string left;
    } rows[] = {
        {"AT+CPIN?\r\r\n+CPIN: READY\r\n", EchoCut::Stripped, "\r\n+CPIN: READY\r\n"},
        {"AT+CPIN?\r", EchoCut::Stripped, ""},
        {"AT+CP", EchoCut::Partial, "AT+CP"},
        {"\r\nOK\r\n", EchoCut::None, "\r\nOK\r\n"},
        {"AT+CPIN=\r", EchoCut::None, "AT+CPIN=\r"},
    };
    for (auto row : rows) {
        std::string reply = row.reply;
        EXPECT_EQ(CutEcho(reply, "AT+CPIN?\r"), row.cut) << row.reply;
        EXPECT_EQ(reply, row.left) << row.reply;
    }
}

// Arbitrary replies must never crash a parser (run under ASan/UBSan in the suite).
TEST(ReplyParsers, SurviveRandomReplies) {
    std::mt19937 random(20261207);
    const std::string alphabet = "\r\n\",: +-0123456789ACEGIMNOPRSTUXY\x01\xff";
    const std::string seeds[] = {"\r\nOK\r\n", "+CME ERROR: ", "+CNUM: ,\"", "+CGDCONT: ", "+CPIN: ", "\r\n"};
    for (int i = 0; i < 20000; ++i) {
        std::string reply;
        const int parts = static_cast<int>(random() % 6);
        for (int p = 0; p < parts; ++p) {
            if (random() % 3 == 0) reply += seeds[random() % std::size(seeds)];
            const int n = static_cast<int>(random() % 12);
            for (int k = 0; k < n; ++k) reply.push_back(alphabet[random() % alphabet.size()]);
        }
        std::string line = reply, remainder, number;
        int type = 0;
        unsigned cme = 0;
        PdpContextList list;
        ParseFinalResult(line, remainder);
        ParseSubscriberNumber(line, number, type);
        ParseCmeError(line, cme);
        SimStateOfLine(line);
        ParsePdpContexts(reply, list);
        HasFinalResult(reply);
        for (const auto& apn : list) ASSERT_EQ(apn.find('"'), std::string::npos);
    }
}

}  // namespace
}  // namespace vr31k
