// Parsers of the card's replies, one table per parser, one row per reply as a card
// sends it.
#include "card/ResponseParser.h"

#include <gtest/gtest.h>

#include <random>

namespace vr31k {
namespace {

struct FinalRow {
    const char* name;
    const char* command;
    std::string raw;
    unsigned result;
    std::string line;
    std::string remainder;
};

TEST(ParseFinalResult, Table) {
    const FinalRow rows[] = {
        {"ok only", "ATI1", "\r\nOK\r\n", CARD_OK, "OK", ""},
        {"model then ok", "ATI1", "\r\nVR31K\r\n\r\nOK\r\n", CARD_OK, "VR31K", ""},
        {"first info line wins", "AT+CGDCONT?", "\r\n+CGDCONT: 1\r\n+CGDCONT: 2\r\n\r\nOK\r\n", CARD_OK, "+CGDCONT: 1", ""},
        {"text after ok ignored", "AT##EANT", "\r\n3\r\n\r\nOK\r\n\r\nRING\r\n", CARD_OK, "3", ""},
        {"error", "ATI1", "\r\nERROR\r\n", CARD_ERR_FORMAT, "ERROR", ""},
        {"cme error", "AT+CPIN=\"1234\"", "\r\n+CME ERROR: 16\r\n", CARD_ERR_FORMAT, "+CME ERROR: 16", ""},
        {"error then more", "ATI1", "\r\nERROR\r\nXY\r\n", CARD_ERR_FORMAT, "ERROR", "XY\r\n"},
        {"short", "ATI1", "\r\nOK\r", CARD_ERR_FORMAT, "\r\nOK\r", "untouched"},
        {"empty", "ATI1", "", CARD_ERR_FORMAT, "", "untouched"},
        {"ok without leading crlf", "ATI1", "OK\r\n\r\n", CARD_ERR_FORMAT, "OK", "\r\n"},
        {"line without end", "AT+CPIN?", "\r\n+CPIN: READY", CARD_ERR_FORMAT, "+CPIN: READY", ""},
        // Unsolicited result codes before, inside and after the reply.
        {"signal report before", "ATI1", "\r\n^RSSI: 3\r\n\r\nVR31K\r\n\r\nOK\r\n", CARD_OK, "VR31K", ""},
        {"registration before ok only", "AT+CMEE=1", "\r\n+CREG: 1\r\n\r\nOK\r\n", CARD_OK, "OK", ""},
        {"ring between info and ok", "ATI0", "\r\nKORVANE\r\n\r\nRING\r\n\r\nOK\r\n", CARD_OK, "KORVANE", ""},
        {"boot notice after", "AT+GMR", "\r\nVR31K-1.02.004\r\n\r\nOK\r\n\r\n^BOOT:20952101,0,0,0,72\r\n", CARD_OK,
         "VR31K-1.02.004", ""},
        {"on every side", "AT+CPIN?",
         "\r\n^MODE: 5,4\r\n\r\n+CPIN: SIM PIN\r\n\r\n+CGREG: 1\r\n\r\nOK\r\n\r\n^SIMST: 1\r\n", CARD_OK,
         "+CPIN: SIM PIN", ""},
        {"the command's own prefix is the answer", "AT+CREG?", "\r\n+CREG: 0,1\r\n\r\nOK\r\n", CARD_OK, "+CREG: 0,1", ""},
        {"lines without a blank line", "ATI1", "\r\n^RSSI: 3\r\nVR31K\r\n+CREG: 1\r\nOK\r\n", CARD_OK, "VR31K", ""},
        {"a dropped call before an error", "AT+CLCK=\"SC\",2", "\r\nNO CARRIER\r\n\r\n+CME ERROR: 10\r\n", CARD_ERR_FORMAT,
         "+CME ERROR: 10", ""},
        {"a stray echo", "ATI1", "\r\n^RSSI: 3\r\nATI1\r\r\nVR31K\r\n\r\nOK\r\n", CARD_OK, "VR31K", ""},
        {"only unsolicited lines: short", "ATI1", "\r\n^RSSI: 3\r\n\r\nRING\r\n", CARD_ERR_FORMAT, "\r\n", "untouched"},
    };
    for (const auto& row : rows) {
        std::string reply = row.raw, remainder = "untouched";
        EXPECT_EQ(ParseFinalResult(reply, remainder, row.command), row.result) << row.name;
        EXPECT_EQ(reply, row.line) << row.name;
        EXPECT_EQ(remainder, row.remainder) << row.name;
    }
}

TEST(IsUnsolicited, Table) {
    struct Row {
        const char* line;
        const char* command;
        bool unsolicited;
    } rows[] = {
        {"^RSSI: 3", "ATI1", true},
        {"^BOOT:20952101,0,0,0,72", "AT+CPIN?", true},
        {"+CREG: 1", "AT+CGDCONT?", true},
        {"+CREG: 0,1", "AT+CREG?", false},
        {"+cpin: READY", "AT+CPIN?", false},
        {"+CGDCONT: 1,\"IP\",\"a\"", "AT+CGDCONT=1,\"IP\",\"a\"", false},
        {"+CMEE: 1", "ATE0Q0V1+CMEE=0", false},
        {"+CME ERROR: 10", "AT+CPIN?", false},
        {"RING", "AT+CPIN?", true},
        {"NO CARRIER", "ATI1", true},
        {"NO CARRIER", "ATD*99***1#", false},
        {"OK", "ATI1", false},
        {"VR31K", "ATI1", false},
        {"+", "ATI1", false},
        {"+:", "ATI1", false},
    };
    for (const auto& row : rows) EXPECT_EQ(IsUnsolicited(row.line, row.command), row.unsolicited) << row.line;
}

// A burst of unsolicited lines alone, or with the echo, is no answer yet.
TEST(HasReplyLines, Table) {
    const std::pair<std::string, bool> rows[] = {
        {"\r\n^RSSI: 3\r\n", false},
        {"\r\nRING\r\n\r\nNO CARRIER\r\n", false},
        {"\r\n^RSSI: 3\r\nATI1\r", false},
        {"\r\n^RSSI: 3\r\n\r\nVR31K", true},
        {"\r\nERROR\r\n", true},
        {"", false},
    };
    for (const auto& [reply, answer] : rows) EXPECT_EQ(HasReplyLines(reply, "ATI1"), answer) << reply;
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

TEST(PinLockStateOfLine, Table) {
    const std::pair<const char*, unsigned> rows[] = {
        {"+CLCK: 0", PIN_LOCK_OFF},       {"+CLCK: 1", PIN_LOCK_ON},     {"+CLCK: 1,7", PIN_LOCK_ON},
        {"+CLCK: 2", CARD_ERR_FORMAT},    {"+CLCK: 10", CARD_ERR_FORMAT}, {"+CLCK: ", CARD_ERR_FORMAT},
        {"+CLCK:1", CARD_ERR_FORMAT},     {"+CLCK: x", CARD_ERR_FORMAT}, {"OK", CARD_ERR_FORMAT},
        {"+CME ERROR: 10", CME_ERROR_BASE + 10}, {"+CME ERROR: 12", CARD_PUK_REQUIRED},
    };
    for (const auto& [line, state] : rows) EXPECT_EQ(PinLockStateOfLine(line), state) << line;
}

// The level is the first character's value: 0-4 have their pictures, 5-9 share one.
TEST(AntennaLevelOfLine, Table) {
    const std::pair<const char*, int> rows[] = {
        {"0", 0}, {"3", 3}, {"4", 4}, {"5", 5}, {"9", 9}, {"31", 3}, {"99", 9},
        {"X", 0}, {"-1", 0}, {" 3", 0}, {"", 0},
    };
    for (const auto& [line, level] : rows) EXPECT_EQ(AntennaLevelOfLine(line), level) << line;
}

// The count is the number at the start; a line with none is no attempt left.
TEST(AttemptsOfLine, Table) {
    const std::pair<const char*, int> rows[] = {
        {"3", 3}, {"0", 0}, {"10", 10}, {"3,10", 3}, {" 2", 2}, {"2 left", 2},
        {"X", 0}, {"-1", 0}, {"", 0}, {"9999999999", 99999},
    };
    for (const auto& [line, count] : rows) EXPECT_EQ(AttemptsOfLine(line), count) << line;
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
        {"\r\nOKAY\r\n", false},
        {"OK\n", true},
        {"", false},
        // Unsolicited lines end nothing.
        {"\r\n^RSSI: 3\r\n", false},
        {"\r\nRING\r\n\r\n+CREG: 1\r\n", false},
        {"\r\nNO CARRIER\r\n", false},
        {"\r\n^BOOT:1,0\r\n\r\nVR31K\r\n\r\nOK\r\n", true},
    };
    for (const auto& [reply, final] : rows) EXPECT_EQ(HasFinalResult(reply, "ATI1"), final) << reply;
    EXPECT_TRUE(HasFinalResult("\r\nNO CARRIER\r\n", "ATD*99***1#")) << "the answer to a dial";
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
    const std::string seeds[] = {"\r\nOK\r\n", "+CME ERROR: ", "+CNUM: ,\"", "+CGDCONT: ", "+CPIN: ", "\r\n",
                                 "^RSSI:", "RING", "+CLCK: "};
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
        ParseFinalResult(line, remainder, "AT+CPIN?");
        ParseSubscriberNumber(line, number, type);
        ParseCmeError(line, cme);
        SimStateOfLine(line);
        PinLockStateOfLine(line);
        AntennaLevelOfLine(line);
        AttemptsOfLine(line);
        ParsePdpContexts(reply, list);
        HasFinalResult(reply, "ATI1");
        HasReplyLines(reply, "AT+CNUM");
        for (const auto& apn : list) ASSERT_EQ(apn.find('"'), std::string::npos);
    }
}

}  // namespace
}  // namespace vr31k
