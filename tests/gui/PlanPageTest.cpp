// The charge plan page on screen: what it shows for a plan, which controls each type
// shows, the check while typing, the check when the page is left, and what OK stores.
#include "accounting/CRasChargeCtrl.h"
#include "common/StringIds.h"
#include "gui/CCfgDialupCountPage.h"
#include "gui/CCfgDialupLimitPage.h"
#include "gui/CCfgDialupSheet.h"
#include "gui/DialupSheetPages.h"
#include "platform/linux/LinuxDialupService.h"
#include "Widgets.h"
#include "support/SamplePlan.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vr31k;
using namespace vr31k::ids;
using vr31k::test::FreeAllowancePlan;
using vr31k::test::ScriptedUi;
using vr31k::test::TempDir;
using vr31k::test::WriteFile;

namespace {

struct Harness {
    explicit Harness(DialupSettings start = FreeAllowancePlan()) : plan(start), page(plan, boxes) { page.show(); }
    template <typename T>
    T* Get(const char* name) { return test::Child<T>(page, name); }
    QLineEdit* Edit(const char* name) { return Get<QLineEdit>(name); }
    std::string Text(const char* name) { return Edit(name)->text().toStdString(); }
    // The user's typing, at the caret.
    void Type(const char* name, const char* keys) {
        QLineEdit* edit = Edit(name);
        edit->setFocus();
        QTest::keyClicks(edit, QString::fromUtf8(keys));
    }
    // The page's texts replaced at once, as the user would by selecting and typing;
    // for the final check, which reads whatever the fields hold.
    void Put(const char* name, const char* text) { Edit(name)->setText(QString::fromUtf8(text)); }
    void Choose(const char* list, int index) { Get<QComboBox>(list)->setCurrentIndex(index); }
    std::vector<int> Captions() const {
        std::vector<int> captions;
        for (const auto& box : boxes.shown) captions.push_back(box.caption);
        for (const auto& box : boxes.asked) captions.push_back(box.caption);
        return captions;
    }

    DialupSettings plan;
    ScriptedUi boxes;
    CCfgDialupCountPage page;
};

TEST(PlanPage, ShowsTheStoredPlanWithoutCheckingIt) {
    DialupSettings stored = FreeAllowancePlan();
    stored.noticeRatio = 30;  // out of range, but the page's own text: no box until the user edits
    stored.maxCharge2 = -1;
    Harness h(stored);
    EXPECT_EQ(h.page.Title().toStdString(), "料金プラン設定");
    EXPECT_EQ(h.Text("priceEdit"), "0.21");
    EXPECT_EQ(h.Text("freePacketsEdit"), "1000");
    EXPECT_EQ(h.Text("capEdit"), "");
    EXPECT_EQ(h.Text("ratioEdit"), "30");
    EXPECT_EQ(h.Get<QComboBox>("chargeTypeList")->currentIndex(), kChargeMeteredFree);
    const auto* days = h.Get<QComboBox>("closingDayList");
    ASSERT_EQ(days->count(), 33);
    EXPECT_EQ(days->currentIndex(), 20);
    EXPECT_EQ(days->itemText(20).toStdString(), "20日");
    EXPECT_EQ(h.Get<QLabel>("note")->text().toStdString(),
              "※ご注意 : カウントされる通信料金などについては目安であり、\n"
              "\u3000\u3000\u3000\u3000\u3000\u3000\u3000実際の請求額とは異なる場合があります。");
    EXPECT_TRUE(h.boxes.shown.empty());

    // A stored choice the lists do not hold selects nothing.
    stored.chargeType = 7;
    stored.chargeDay = 40;
    Harness odd(stored);
    EXPECT_EQ(odd.Get<QComboBox>("chargeTypeList")->currentIndex(), -1);
    EXPECT_EQ(odd.Get<QComboBox>("closingDayList")->currentIndex(), -1);
}

TEST(PlanPage, EachTypeShowsItsControls) {
    struct Case {
        int type;
        bool price, free, cap;
    } cases[] = {
        {kChargeMetered, true, false, false},   {kChargeMeteredFree, true, true, false},
        {kChargeMeteredCap, true, false, true}, {kChargeTwoStage, true, true, true},
        {kChargeFlat, false, false, true},
    };
    Harness h;
    for (const Case& c : cases) {
        h.Choose("chargeTypeList", c.type);
        SCOPED_TRACE(c.type);
        for (const char* name : {"priceLabel", "priceEdit", "priceUnit", "packetSizeEdit", "noticeGroup"}) {
            EXPECT_EQ(h.Get<QWidget>(name)->isVisible(), c.price) << name;
        }
        for (const char* name : {"freePacketsLabel", "freePacketsEdit", "freeFeeEdit", "freeFeeUnit"}) {
            EXPECT_EQ(h.Get<QWidget>(name)->isVisible(), c.free) << name;
        }
        for (const char* name : {"capLabel", "capEdit", "capUnit"}) {
            EXPECT_EQ(h.Get<QWidget>(name)->isVisible(), c.cap) << name;
        }
    }
    // Nothing chosen shows everything.
    Harness none(DialupSettings{});
    for (const char* name : {"priceEdit", "freeFeeEdit", "capEdit", "noticeGroup"}) {
        EXPECT_TRUE(none.Get<QWidget>(name)->isVisible()) << name;
    }
}

constexpr const char* kDigits = "設定値には、数字(0～9)を入力してください。\n(負数も入力できません。)";

TEST(PlanPage, EachFieldIsCheckedWhileTyping) {
    struct Case {
        const char* field;
        const char* typed;  // onto an emptied field
        const char* left;
        std::vector<int> boxes;
        const char* lastText;
    } cases[] = {
        {"freePacketsEdit", "12a", "12", {IDS_DIGITS_ONLY_CAPTION}, kDigits},
        {"freePacketsEdit", "123456789", "12345678", {IDS_RANGE_CAPTION}, "1 から 99999999 までの整数を入力してください。"},
        {"freeFeeEdit", "0", "0", {}, ""},
        {"freeFeeEdit", "1000000", "100000", {IDS_RANGE_CAPTION}, "1 から 999999 までの整数を入力してください。"},
        {"priceEdit", "0.0005", "0.000", {IDS_PLAN_PRICE_RANGE_CAPTION}, "0.001 から 999999 までの数字を入力してください。"},
        {"priceEdit", "1.2.3", "1.23", {IDS_PLAN_PRICE_DIGITS_CAPTION},
         "設定値には、数字を入力してください。\n(負数も入力できません。)"},
        {"priceEdit", ".", ".", {}, ""},
        {"capEdit", "-5", "5", {IDS_DIGITS_ONLY_CAPTION}, kDigits},
        {"packetSizeEdit", "1x28", "128", {IDS_DIGITS_ONLY_CAPTION}, kDigits},
        {"noticeEdit", "9999999", "999999", {IDS_RANGE_CAPTION}, "1 から 999999 までの整数を入力してください。"},
        {"ratioEdit", "30", "30", {}, ""},
        {"ratioEdit", "101", "10", {IDS_PLAN_UNIT_RANGE_CAPTION}, "50% から 100% までの整数を入力してください。"},
        {"ratioEdit", "ab", "", {IDS_DIGITS_ONLY_CAPTION, IDS_DIGITS_ONLY_CAPTION}, kDigits},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.typed);
        Harness h;
        h.Put(c.field, "");
        h.Type(c.field, c.typed);
        EXPECT_EQ(h.Text(c.field), c.left);
        EXPECT_EQ(h.Captions(), c.boxes);
        if (!h.boxes.shown.empty()) {
            EXPECT_EQ(h.boxes.shown.back().shownText, c.lastText);
            EXPECT_EQ(h.boxes.shown.back().icon, MessageIcon::Exclamation);
        }
        EXPECT_EQ(h.plan, FreeAllowancePlan()) << "typing stores nothing";
    }
}

TEST(PlanPage, ARefusedCharacterGoesAndTheCaretStays) {
    Harness h;
    QLineEdit* size = h.Edit("packetSizeEdit");
    size->setFocus();
    size->setCursorPosition(1);  // 1|28
    QTest::keyClicks(size, QStringLiteral("a"));
    EXPECT_EQ(h.Text("packetSizeEdit"), "128");
    EXPECT_EQ(size->cursorPosition(), 1);
    EXPECT_EQ(h.boxes.shown.size(), 1u);

    // A paste with several refused characters: one message, the text back to one that passes.
    QLineEdit* notice = h.Edit("noticeEdit");
    notice->setFocus();
    notice->end(false);
    notice->insert(QStringLiteral("5x7y"));
    EXPECT_EQ(h.Text("noticeEdit"), "20005");
    EXPECT_EQ(h.boxes.shown.size(), 2u);
}

TEST(PlanPage, LeavingChecksThePlan) {
    struct Case {
        const char* name;
        std::function<void(Harness&)> edit;
        std::deque<bool> answers;
        std::vector<int> boxes;
        bool leaves;
        const char* focus;  // the field refused
    } cases[] = {
        {"unchanged", [](Harness&) {}, {}, {}, true, nullptr},
        {"type 3 with the cap below the free fee cannot be saved",
         [](Harness& h) {
             h.Choose("chargeTypeList", kChargeTwoStage);
             h.Put("capEdit", "1000");
             h.Put("freeFeeEdit", "2000");
         },
         {}, {IDS_PLAN_CAP_BELOW_FREE_CAPTION}, false, nullptr},
        {"empty packet size", [](Harness& h) { h.Put("packetSizeEdit", ""); }, {}, {IDS_RANGE_CAPTION}, false,
         "packetSizeEdit"},
        {"ratio 30 typed", [](Harness& h) { h.Put("ratioEdit", ""); h.Type("ratioEdit", "30"); }, {},
         {IDS_PLAN_UNIT_RANGE_CAPTION}, false, "ratioEdit"},
        {"price 0.000 typed from 0.0005", [](Harness& h) { h.Put("priceEdit", ""); h.Type("priceEdit", "0.0005"); },
         {}, {IDS_PLAN_PRICE_RANGE_CAPTION, IDS_PLAN_PRICE_RANGE_CAPTION}, false, "priceEdit"},
        {"type 1 notice at the free fee: Yes", [](Harness& h) { h.Put("noticeEdit", "1000"); }, {true},
         {IDS_PLAN_NOTICE_NOT_ABOVE_FREE_CAPTION}, true, nullptr},
        {"incomplete: No", [](Harness& h) { h.Put("freeFeeEdit", ""); }, {false}, {IDS_PLAN_INCOMPLETE_CAPTION},
         false, nullptr},
        {"changed closing day: No", [](Harness& h) { h.Choose("closingDayList", 32); }, {false},
         {IDS_PLAN_CHANGE_CAPTION}, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        c.edit(h);
        const size_t typingBoxes = h.boxes.shown.size();
        h.boxes.answers = c.answers;
        EXPECT_EQ(h.page.CanLeave(), c.leaves);
        EXPECT_EQ(h.Captions(), c.boxes);
        if (c.focus != nullptr) {
            QLineEdit* edit = h.Edit(c.focus);
            EXPECT_EQ(h.page.focusWidget(), edit);
            EXPECT_EQ(edit->selectedText(), edit->text());
            EXPECT_GT(h.boxes.shown.size(), typingBoxes);
        }
        EXPECT_EQ(h.plan, FreeAllowancePlan()) << "leaving the page stores nothing";
    }
}

// Switching to another page and back: a confirmed change is asked once; a declined one
// keeps the page and is asked again.
TEST(PlanPage, SwitchingPages) {
    Harness h;
    h.Put("capEdit", "4980");
    h.Choose("chargeTypeList", kChargeMeteredCap);
    h.boxes.answers = {false};
    EXPECT_FALSE(h.page.CanLeave());
    h.boxes.answers = {true};
    EXPECT_TRUE(h.page.CanLeave());
    EXPECT_TRUE(h.page.CanLeave());
    EXPECT_TRUE(h.page.CanLeave());
    EXPECT_EQ(h.Captions(), (std::vector<int>{IDS_PLAN_CHANGE_CAPTION, IDS_PLAN_CHANGE_CAPTION}));
}

TEST(PlanPage, IsTheSecondPageOfTheDialupSheet) {
    const auto service = CreateLinuxDialupService(LinuxDialupConfig{});
    CRasChargeCtrl charge(*service);
    ScriptedUi boxes;
    TempDir dir;
    QWidget sheet;
    auto pages = MakeExtraDialupPages(charge, SettingsStore(dir.File("VR31KUTL.ini")), dir.Path(), boxes, &sheet);
    ASSERT_EQ(pages.size(), 3u);
    ISheetPage& page = *pages[0];
    EXPECT_EQ(page.Title().toStdString(), "料金プラン設定");
    EXPECT_EQ(pages[1]->Title().toStdString(), "利用上限設定");
    EXPECT_EQ(pages[2]->Title().toStdString(), "通信させないプログラム");
    EXPECT_EQ(page.Widget()->parent(), &sheet);
    page.Widget()->findChild<QLineEdit*>(QStringLiteral("capEdit"))->setText(QStringLiteral("300"));
    ASSERT_TRUE(page.CanLeave());
    page.Apply();
    EXPECT_EQ(charge.Plan().maxCharge2, 300);
    pages.clear();  // a page deleted before its sheet leaves it
    EXPECT_TRUE(sheet.findChildren<CCfgDialupCountPage*>().isEmpty());
    EXPECT_TRUE(sheet.findChildren<CCfgDialupLimitPage*>().isEmpty());
}

// The plan and limit pages in the dial-up sheet as the window makes them, over a
// settings file that may hold a limit already.
struct SheetHarness {
    explicit SheetHarness(const std::string& ini) {
        if (!ini.empty()) WriteFile(settings.Path(), ini);
        charge.Plan() = FreeAllowancePlan();
        charge.DerivePlan();
        pages = MakeExtraDialupPages(charge, settings, dir.Path(), boxes, nullptr);
        for (const auto& page : pages) sheet.AddPage(page.get());
        sheet.show();
        sheet.Tabs()->setCurrentIndex(1);
    }
    template <typename T = QLineEdit>
    T* Get(const char* name) { return test::Child<T>(sheet, name); }

    TempDir dir;
    SettingsStore settings{dir.File("VR31KUTL.ini")};
    std::unique_ptr<IDialupService> service = CreateLinuxDialupService(LinuxDialupConfig{});
    CRasChargeCtrl charge{*service};
    ScriptedUi boxes;
    std::vector<std::unique_ptr<ISheetPage>> pages;
    CCfgDialupSheet sheet;
};

constexpr const char* kStoredLimit =
    "[VR31K_LIMIT]\nLimitKind=1\nLimitCharge=3000\nLimitBytes=2147483648\nLimitWarnRatio=50\nBurstBytes=1048576\n";

// What the user does on the limit page, what OK then says and stores, and where the
// focus goes when it refuses: the same checks and texts as vr31kctl plan set-limit.
TEST(LimitPage, OkChecksAndStoresWhatTheUserChanged) {
    struct Case {
        const char* name;
        const char* ini;
        const char* kind;  // the choice clicked, or nullptr
        std::vector<std::pair<const char*, const char*>> texts;
        std::function<void(SheetHarness&)> more;
        std::vector<int> boxes;  // every box's caption, in order
        const char* refused;     // the box's text, when OK is refused
        const char* focus;
        std::optional<LimitSettings> stored;  // none: the file has no limit section
    } cases[] = {
        {"left off: nothing written", "", nullptr, {}, {}, {}, nullptr, nullptr, std::nullopt},
        {"a charge with its warnings", "", "chargeRadio",
         {{"chargeEdit", "3000"}, {"warnRatioEdit", "50"}, {"burstEdit", "100M"}}, {}, {}, nullptr, nullptr,
         LimitSettings{kLimitCharge, 3000, -1, 50, int64_t{100} << 20}},
        {"a byte total, no warning", "", "bytesRadio", {{"bytesEdit", "1.5G"}, {"warnRatioEdit", "0"}}, {}, {}, nullptr,
         nullptr, LimitSettings{kLimitBytes, -1, int64_t{3} << 29, 0, 0}},
        {"off keeps the rest as stored", kStoredLimit, "offRadio", {{"chargeEdit", "x"}}, {}, {}, nullptr, nullptr,
         LimitSettings{kLimitOff, 3000, int64_t{2} << 30, 50, 1048576}},
        {"bytes below 1k", "", "bytesRadio", {{"bytesEdit", "1000"}}, {}, {IDS_LIMIT_RANGE_CAPTION},
         "1k から 1024T までの値を入力してください。", "bytesEdit", std::nullopt},
        {"a charge in words", "", "chargeRadio", {{"chargeEdit", "3千"}}, {}, {IDS_LIMIT_RANGE_CAPTION},
         "1 から 999999 までの値を入力してください。", "chargeEdit", std::nullopt},
        {"a warning at 100 %", kStoredLimit, nullptr, {{"warnRatioEdit", "100"}}, {}, {IDS_LIMIT_RANGE_CAPTION},
         "0 から 99 までの値を入力してください。", "warnRatioEdit", LimitSettings{kLimitCharge, 3000, int64_t{2} << 30, 50, 1048576}},
        {"a burst of a fraction of a byte", "", "bytesRadio", {{"bytesEdit", "2G"}, {"burstEdit", "0.5"}}, {},
         {IDS_LIMIT_RANGE_CAPTION}, "0 から 1024T までの値を入力してください。", "burstEdit", std::nullopt},
        {"a charge under a flat rate, OK on this page", "", "chargeRadio", {{"chargeEdit", "3000"}},
         [](SheetHarness& h) { h.Get<QComboBox>("chargeTypeList")->setCurrentIndex(kChargeFlat); },
         {IDS_LIMIT_NOT_APPLICABLE_CAPTION}, "現在の料金プランでは", "chargeRadio", std::nullopt},
        {"the stored charge after the plan went flat, OK on the plan page", kStoredLimit, nullptr, {},
         [](SheetHarness& h) {
             h.sheet.Tabs()->setCurrentIndex(0);
             h.Get<QComboBox>("chargeTypeList")->setCurrentIndex(kChargeFlat);
             h.Get("capEdit")->setText(QStringLiteral("4980"));
         },
         {IDS_PLAN_CHANGE_CAPTION, IDS_LIMIT_NOT_APPLICABLE_CAPTION}, "現在の料金プランでは", "chargeRadio",
         LimitSettings{kLimitCharge, 3000, int64_t{2} << 30, 50, 1048576}},
        {"another program's change meanwhile is kept", "[VR31K_LIMIT]\nLimitKind=2\nLimitBytes=2147483648\n", nullptr,
         {{"warnRatioEdit", "60"}},
         [](SheetHarness& h) {
             h.settings.ChangeLimit([](LimitSettings& l) { return l.burstBytes = 4096, true; });
         },
         {}, nullptr, nullptr, LimitSettings{kLimitBytes, -1, int64_t{2} << 30, 60, 4096}},
        {"a settings file that is a link is not written", "", "bytesRadio", {{"bytesEdit", "2G"}},
         [](SheetHarness& h) {
             ASSERT_EQ(symlink("elsewhere.ini", h.settings.Path().c_str()), 0);
         },
         {IDS_LIMIT_SAVE_FAILED_CAPTION}, "利用上限の設定を保存できませんでした。\n\n", nullptr, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SheetHarness h(c.ini);
        if (c.kind != nullptr) h.Get<QRadioButton>(c.kind)->click();
        for (const auto& [field, text] : c.texts) h.Get(field)->setText(QString::fromUtf8(text));
        if (c.more) c.more(h);
        h.sheet.accept();
        EXPECT_EQ(h.boxes.messages, c.boxes);
        EXPECT_EQ(h.sheet.result() == QDialog::Accepted, c.refused == nullptr);
        if (c.refused != nullptr) {
            ASSERT_FALSE(h.boxes.shown.empty());
            EXPECT_EQ(h.boxes.shown.back().shownText.rfind(c.refused, 0), 0u) << h.boxes.shown.back().shownText;
            EXPECT_EQ(h.sheet.Tabs()->currentIndex(), 1) << "the limit page is shown";
            if (c.focus != nullptr) {
                EXPECT_EQ(h.sheet.focusWidget(), h.Get<QWidget>(c.focus));
            }
            for (const auto& [field, text] : c.texts) {
                EXPECT_EQ(h.Get(field)->text().toStdString(), text) << "nothing typed is lost";
            }
        }
        EXPECT_EQ(h.settings.HasLimitSection(), c.stored.has_value());
        if (c.stored) {
            EXPECT_EQ(h.settings.ReadLimit(), *c.stored);
        }
    }
}

// OK stores every field; every control is named for screen readers, and each field
// reads as its row reads: the label, the figure, the unit, never glued; the page draws.
TEST(PlanPage, OkStoresEveryFieldAndEachReadsAsItsRow) {
    Harness h;
    h.Choose("chargeTypeList", kChargeTwoStage);
    h.Put("capEdit", "4980");
    h.Put("priceEdit", "0.05");
    h.Put("noticeEdit", "");
    h.Choose("closingDayList", 0);
    h.Put("packetSizeEdit", "128");
    h.Put("ratioEdit", "80");
    const struct {
        const char* field;
        test::Spoken spoken;
    } rows[] = {
        {"priceEdit", {"パケット単位料金", h.Text("priceEdit"), "円／パケット"}},
        {"freePacketsEdit", {"無料パケット量", h.Text("freePacketsEdit"), "パケット"}},
        {"freeFeeEdit", {"パケット無料通信料", h.Text("freeFeeEdit"), "円"}},
        {"capEdit", {"パケット定額料", "4980", "円"}},
        {"packetSizeEdit", {"※1パケット =", "128", "バイトで計算"}},
        {"noticeEdit", {"通知金額", h.Text("noticeEdit"), "円"}},
        {"ratioEdit", {"設定値の", "80", "％ に達したら警告する"}},
    };
    for (const auto& row : rows) EXPECT_EQ(test::SpokenOf(h.Edit(row.field)), row.spoken) << row.field;
    test::ExpectNamedAndDrawn(h.page, QStringLiteral("CCfgDialupCountPage"));
    h.page.Apply();
    DialupSettings expected = test::MakePlan({.type = kChargeTwoStage, .price = 0.05, .freePackets = 1000,
                                              .freeFee = 1000, .cap = 4980, .noticeRatio = 80, .closingDay = 0});
    expected.entryIndex = 3;
    EXPECT_EQ(h.plan, expected);
}

// Each kind enables the fields that apply to it; every control in the sheet is named, and
// each field reads as its row does; the sheet draws.
TEST(LimitPage, EachKindEnablesItsFieldsReadAsTheirRowsAndDrawn) {
    SheetHarness h(kStoredLimit);
    EXPECT_TRUE(h.Get<QRadioButton>("chargeRadio")->isChecked());
    const struct {
        const char* field;
        test::Spoken spoken;
    } rows[] = {
        {"chargeEdit", {"金額で設定する", "3000", "円"}},
        {"bytesEdit", {"通信量で設定する", "2G", "バイト (k・M・G・T 単位も可、例: 2G)"}},
        {"warnRatioEdit", {"利用上限の", "50", "％ に達したら警告する (0: 警告しない)"}},
        {"burstEdit", {"10分間の通信量が", "1M", "バイトを超えたら警告する (0: 警告しない)"}},
        {"offRadio", {"設定しない", "", ""}},
    };
    for (const auto& row : rows) EXPECT_EQ(test::SpokenOf(h.Get<QWidget>(row.field)), row.spoken) << row.field;
    const struct {
        const char* radio;
        bool charge, bytes, warnings;
    } kinds[] = {{"offRadio", false, false, false}, {"bytesRadio", false, true, true}, {"chargeRadio", true, false, true}};
    for (const auto& k : kinds) {
        h.Get<QRadioButton>(k.radio)->click();
        for (const char* name : {"chargeEdit", "chargeUnit"}) EXPECT_EQ(h.Get<QWidget>(name)->isEnabled(), k.charge);
        for (const char* name : {"bytesEdit", "bytesUnit"}) EXPECT_EQ(h.Get<QWidget>(name)->isEnabled(), k.bytes);
        for (const char* name : {"warnRatioLabel", "warnRatioEdit", "burstEdit", "burstUnit"}) {
            EXPECT_EQ(h.Get<QWidget>(name)->isEnabled(), k.warnings) << k.radio << " " << name;
        }
    }
    test::ExpectNamedAndDrawn(h.sheet, QStringLiteral("CCfgDialupLimitPage"));
}

}  // namespace
