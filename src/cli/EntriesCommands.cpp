// vr31kctl entries list | add | rename | credentials | remove | reset | select | check | sync
// The entry changes run as the dial-up settings sheet runs them: after the card check
// and the check that the program's entries and the card's contexts agree, writing the
// card first, then the phonebook and the credential table.
#include "common/StringIds.h"
#include "common/StringTable.h"
#include "cli/CardTask.h"
#include "cli/ChargeSession.h"
#include "cli/ReadableValues.h"
#include "common/FileSystem.h"
#include "dialup/ApnSync.h"
#include "dialup/CardContexts.h"
#include "dialup/EntryCheck.h"

#include <cstring>

namespace vr31k::cli {

namespace {

constexpr std::string_view kHelp =
    "usage: vr31kctl [--json] [--data-dir DIR] [--port PORT] entries COMMAND [OPTIONS]\n"
    "\n"
    "list                                 the ten entries (positions 1 to 10) and the current one\n"
    "add POSITION NAME [--user U] [--password P]\n"
    "                                     a new entry (its name is the access point name)\n"
    "rename POSITION NEWNAME              a new name for an entry; its credentials stay\n"
    "credentials POSITION [--user U] [--password P]\n"
    "                                     new user name and/or password for an entry\n"
    "remove POSITION                      deletes an entry (entry 1 becomes the factory entry)\n"
    "reset                                back to the factory entry alone\n"
    "select POSITION                      the entry the utility dials\n"
    "check                                compares the entries with the card's contexts\n"
    "sync reset                           factory entry on both sides\n"
    "sync to-card                         the program's entries written to the card\n"
    "sync from-card [--credentials POSITION:USER:PASSWORD]...\n"
    "                                     the program takes the card's contexts; each entry gets\n"
    "                                     the credentials given for its position, else those of a\n"
    "                                     program entry of the same name\n"
    "\n"
    "Changes need the card (--port, VR31K_PORT, PortName or the card lookup) and entries that\n"
    "agree with the card's contexts (see check and sync). Questions the utility would ask are\n"
    "answered Yes; the boxes shown are listed under \"messages\" (with --json by caption id,\n"
    "their texts under \"message_texts\"). Passwords are never printed.\n";

// The session of one entries command: the charge controller with its entry files, and,
// for changes, the card with the check that the two sides agree.
struct EntriesTask {
    explicit EntriesTask(CliContext& c) : context(c), session(c) { session.SetupEntries(); }

    CRasChargeCtrl& Book() { return session.Charge(); }

    // The card check and the entry check, as before the settings sheet opens. No
    // synchronisation dialog here: a difference refuses the change.
    bool PrepareCard() {
        card = std::make_unique<CardTask>(context);
        if (!card->Check()) return false;
        const EntryCheckOutcome outcome = CheckEntries(
            Book(), card->card, card->check, card->ui, card->port, card->status,
            [](EntryList&) { return SyncDialogEnd::Cancel; });
        list = outcome.program;
        cardView = outcome.card;
        return outcome.result != kEntriesRefused;
    }
    CardContexts Contexts() { return CardContexts(card->card, card->ui, card->port); }
    const std::vector<ShownBox>& Boxes() const { return card ? card->ui.Boxes() : noBoxes; }

    Json Names(const EntryList& names) const {
        Json array = Json::MakeArray();
        for (const auto& name : names) array.Push(name);
        return array;
    }
    int Result(bool ok) {
        EntryList now;
        Book().ListEntries(now);
        Json result = Json::MakeObject();
        result.Set("ok", ok);
        SetMessages(result, Boxes());
        result.Set("entries", Names(now));
        // The box's text is already among the messages people read.
        if (!ok && card && !card->ui.LastText().empty()) result.Set("message", Json::JsonOnly(card->ui.LastText()));
        return ok ? context.Print(result) : context.PrintFailed(result);
    }

    CliContext& context;
    CChargeSession session;
    std::unique_ptr<CardTask> card;
    EntryList list;
    EntryList cardView;
    const std::vector<ShownBox> noBoxes;
};

int Position(const std::string& text) {
    return static_cast<int>(CliArgs::ToInteger(text, "POSITION", 1, kEntryCount)) - 1;
}

int List(CliContext& context, CliArgs& args) {
    args.Finish();
    EntriesTask task(context);
    EntryList names;
    if (const int listed = task.Book().ListEntries(names); listed != 0) {
        const std::string why = " (" + std::to_string(listed) + ")";
        return context.Fail(listed, "phonebook-failed", "cannot read the phonebook " + context.Paths().phonebook + why);
    }
    Json entries = Json::MakeArray();
    for (int k = 0; k < kEntryCount; ++k) {
        std::string user, password, dial;
        if (!names[k].empty()) task.Book().GetEntrySettings(names[k], user, password, dial);
        Json entry = Json::MakeObject();
        entry.Set("position", k + 1).Set("name", names[k]).Set("user", user).Set("dial", dial);
        entries.Push(std::move(entry));
    }
    return context.Print(Json::MakeObject().Set("entries", std::move(entries)).Set("current", task.Book().Plan().entryIndex));
}

// add, rename and credentials: the edit dialog's checks, then the page's change.
int Edit(CliContext& context, CliArgs& args, const std::string& sub) {
    const auto user = args.Option("--user");
    const auto password = args.Option("--password");
    const int k = Position(args.Require("POSITION"));
    const std::string newName = sub == "credentials" ? std::string() : args.Require("NAME");
    args.Finish();
    EntriesTask task(context);
    if (!task.PrepareCard()) return task.Result(false);
    const std::string current = task.list[k];
    if (sub == "add" && !current.empty()) {
        throw UsageError("position " + std::to_string(k + 1) + " holds " + current + "; use rename or credentials");
    }
    if (sub != "add" && current.empty()) throw UsageError("position " + std::to_string(k + 1) + " is empty");

    EntryEdit edit{sub == "credentials" ? current : newName, "", "", DialStringFor(k + 1), current};
    if (!current.empty()) task.Book().GetEntrySettings(current, edit.user, edit.password, edit.dialString);
    if (edit.dialString.empty()) edit.dialString = DialStringFor(k + 1);
    if (user) edit.user = *user;
    if (password) edit.password = *password;

    CCliCardUi& ui = task.card->ui;
    CardContexts contexts = task.Contexts();
    EntryChanges changes(task.Book(), contexts, ui);
    if (!changes.CheckEditInput(edit.name, edit.user, edit.password, edit.appliedName)) return task.Result(false);
    return task.Result(changes.ApplyEdit(task.list, k, edit));
}

int Remove(CliContext& context, CliArgs& args) {
    const int k = Position(args.Require("POSITION"));
    args.Finish();
    EntriesTask task(context);
    if (!task.PrepareCard()) return task.Result(false);
    if (task.list[k].empty()) throw UsageError("position " + std::to_string(k + 1) + " is empty");
    CCliCardUi& ui = task.card->ui;
    CardContexts contexts = task.Contexts();
    return task.Result(EntryChanges(task.Book(), contexts, ui).Delete(task.list, k));
}

int Reset(CliContext& context, CliArgs& args) {
    args.Finish();
    EntriesTask task(context);
    if (!task.PrepareCard()) return task.Result(false);
    CCliCardUi& ui = task.card->ui;
    CardContexts contexts = task.Contexts();
    return task.Result(EntryChanges(task.Book(), contexts, ui).ResetToFactory(task.list));
}

int Select(CliContext& context, CliArgs& args) {
    const int k = Position(args.Require("POSITION"));
    args.Finish();
    EntriesTask task(context);
    EntryList names;
    task.Book().ListEntries(names);
    if (names[k].empty()) throw UsageError("position " + std::to_string(k + 1) + " is empty");
    task.Book().SetEntryIndex(k);
    if (const int error = task.session.WriteDialupSettings(); error != 0) {
        return context.Fail(error, "write-failed", "cannot write the settings file: " + FileErrorText(error));
    }
    return task.Result(true);
}

int Check(CliContext& context, CliArgs& args) {
    args.Finish();
    EntriesTask task(context);
    task.card = std::make_unique<CardTask>(context);
    if (!task.card->Check()) return task.card->FailCheck(context);
    bool differ = false;
    const EntryCheckOutcome outcome = CheckEntries(task.Book(), task.card->card, task.card->check, task.card->ui,
                                                   task.card->port, task.card->status, [&](EntryList&) {
                                                       differ = true;
                                                       return SyncDialogEnd::Other;
                                                   });
    if (!differ && outcome.result == kEntriesRefused) {
        return context.FailWithMessage(ids::IDS_COMM_ERROR_CAPTION, "comm-error", ids::IDS_COMM_ERROR_TEXT);
    }
    Json result = Json::MakeObject();
    result.Set("in_sync", !differ).Set("program", task.Names(outcome.program)).Set("card", task.Names(outcome.card));
    return context.Print(result);
}

int Sync(CliContext& context, CliArgs& args) {
    std::vector<std::pair<int, std::pair<std::string, std::string>>> credentials;
    for (const std::string& item : args.Options("--credentials")) {
        const auto first = item.find(':');
        const auto second = first == std::string::npos ? std::string::npos : item.find(':', first + 1);
        if (second == std::string::npos) throw UsageError("--credentials takes POSITION:USER:PASSWORD, not '" + item + "'");
        credentials.push_back({Position(item.substr(0, first)),
                               {item.substr(first + 1, second - first - 1), item.substr(second + 1)}});
    }
    const std::string way = args.Require("sync way (reset, to-card or from-card)");
    args.Finish();
    if (way != "reset" && way != "to-card" && way != "from-card") throw UsageError("unknown sync way '" + way + "'");
    if (way != "from-card" && !credentials.empty()) throw UsageError("--credentials goes with from-card");

    EntriesTask task(context);
    task.card = std::make_unique<CardTask>(context);
    if (!task.card->Check()) return task.Result(false);
    EntryList cardView;
    PdpContextList contexts;
    if (task.card->card.GetPdpContexts(contexts) != CARD_OK) {
        ShowCommError(task.card->ui);
        return task.Result(false);
    }
    for (int k = 0; k < kEntryCount; ++k) cardView[k] = contexts[k];
    task.Book().EnsurePhonebook();

    CCliCardUi& ui = task.card->ui;
    CardContexts port = task.Contexts();
    bool ok = true;
    if (way == "reset") {
        ApnSync(task.Book(), port, ui).Reset(cardView);
    } else if (way == "to-card") {
        ApnSync(task.Book(), port, ui).ProgramToCard(cardView);
    } else {
        SyncApnList list(task.Book(), port, ui, cardView);
        for (int k = 0; k < kEntryCount; ++k) {
            if (!list.CanEdit(k)) continue;
            std::string user, password;
            list.EditPreset(k, user, password);
            for (const auto& [position, given] : credentials) {
                if (position == k) std::tie(user, password) = given;
            }
            list.Change(k, user, password);
        }
        ok = list.Commit(cardView);
    }
    if (way != "to-card") task.session.WriteDialupSettings();  // the selection went back to entry 1
    EntryList program;
    task.Book().ListEntries(program);
    // A failed card write is shown and the way still ends; the next check finds what
    // is different. The command succeeds only when both sides agree now.
    ok = ok && EntriesInSync(program, cardView);
    Json result = Json::MakeObject();
    result.Set("ok", ok);
    SetMessages(result, task.Boxes());
    result.Set("program", task.Names(program)).Set("card", task.Names(cardView));
    return ok ? context.Print(result) : context.PrintFailed(result);
}

int Run(CliContext& context, CliArgs& args) {
    const std::string sub = args.Require("entries command (list, add, rename, credentials, remove, reset, select, check, sync)");
    if (sub == "list") return List(context, args);
    if (sub == "add" || sub == "rename" || sub == "credentials") return Edit(context, args, sub);
    if (sub == "remove") return Remove(context, args);
    if (sub == "reset") return Reset(context, args);
    if (sub == "select") return Select(context, args);
    if (sub == "check") return Check(context, args);
    if (sub == "sync") return Sync(context, args);
    throw UsageError("unknown entries command '" + sub + "'");
}

}  // namespace

const CommandGroup& EntriesCommands() {
    static const CommandGroup group{"entries", "the ten dial-up entries and their agreement with the card", kHelp, Run};
    return group;
}

}  // namespace vr31k::cli
