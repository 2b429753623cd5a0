#include "ctl/VellicorCtl.h"

#include "ctl/JsonWriter.h"
#include "ctl/RegFile.h"
#include "outlook/EffectiveStatus.h"
#include "outlook/ExtensionsFile.h"
#include "outlook/OutlookInteraction.h"
#include "platform/ExeFolder.h"
#include "platform/FileReplace.h"
#include "platform/Registry.h"
#include "platform/WinePrefixes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <ostream>

namespace {

// A failure that ends the command with its exit code; the message goes to standard error.
struct ECtlExit {
    int Code;
    std::string Message;
};

[[noreturn]] void Usage(const std::string& message) {
    throw ECtlExit{ctlexit::Usage, message + "\nRun \"vellicorctl --help\" for the commands and options."};
}

[[noreturn]] void Fail(const std::string& message) {
    throw ECtlExit{ctlexit::Failed, message};
}

struct TOptions {
    std::string Command;
    std::vector<std::string> Operands;
    bool Help = false;
    bool Json = false;
    bool Exact = false;
    std::optional<std::string> Prefix;
    std::optional<std::string> Version;
    std::optional<std::string> Format;
    std::optional<std::string> Output;
};

TOptions ParseArguments(const std::vector<std::string>& args) {
    TOptions options;
    const auto valueOf = [&](std::size_t& i, const std::string& name, std::optional<std::string>& into) {
        const std::string& arg = args[i];
        if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
            into = arg.substr(name.size() + 1);
        } else if (arg == name) {
            if (i + 1 >= args.size()) {
                Usage("The option " + name + " needs a value.");
            }
            into = args[++i];
        } else {
            return false;
        }
        return true;
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (options.Command.empty()) {
                options.Command = arg;
            } else {
                options.Operands.push_back(arg);
            }
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.Help = true;
        } else if (arg == "--json") {
            options.Json = true;
        } else if (arg == "--exact") {
            options.Exact = true;
        } else if (valueOf(i, "--prefix", options.Prefix) || valueOf(i, "--version", options.Version) ||
                   valueOf(i, "--format", options.Format) || valueOf(i, "--output", options.Output) ||
                   valueOf(i, "-o", options.Output)) {
        } else {
            Usage("Unknown option " + arg + ".");
        }
    }
    return options;
}

// Which options a command takes; any other is a mistake worth reporting rather than ignoring.
void CheckOptions(const TOptions& options) {
    const std::string& command = options.Command;
    const bool reads = command == "versions" || command == "list" || command == "prefixes" || command == "status";
    const bool edits = command == "allow" || command == "block" || command == "unallow" || command == "unblock";
    const bool exports = command == "export";
    if (!reads && !edits && !exports) {
        Usage("Unknown command \"" + command + "\".");
    }
    if (options.Json && !reads) {
        Usage("--json goes with the commands that read: versions, list, prefixes, status.");
    }
    if (options.Exact && !edits) {
        Usage("--exact goes with allow, block, unallow and unblock.");
    }
    if ((options.Format || options.Output) && !exports) {
        Usage("--format and -o go with export.");
    }
    if (options.Version && (command == "versions" || command == "prefixes")) {
        Usage("--version does not go with " + command + ".");
    }
    if ((edits || command == "status") && options.Operands.empty()) {
        Usage(command + " needs at least one file type.");
    }
    if (!edits && command != "status" && !options.Operands.empty()) {
        Usage(command + " takes no file types, but \"" + options.Operands.front() + "\" was given.");
    }
    if (exports && !options.Format) {
        Usage("export needs --format reg or --format policy-reg.");
    }
    if (exports && *options.Format != "reg" && *options.Format != "policy-reg") {
        Usage("Unknown export format \"" + *options.Format + "\": use reg or policy-reg.");
    }
}

constexpr std::string_view OfficeKey = "Software\\Microsoft\\Office\\";

// "16.0" of Software\Microsoft\Office\16.0\Outlook\.
std::string VersionNumber(const TOutlookInfo& info) {
    std::string number = info.KeyPath.substr(std::min(info.KeyPath.size(), OfficeKey.size()));
    return number.substr(0, number.find('\\'));
}

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string Joined(const std::vector<std::string>& items, const char* separator) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : separator) + item;
    }
    return text;
}

// Where the lists are, for messages: a Wine prefix says which.
std::string Where() {
    if (!platform::UsesWinePrefixes()) {
        return "for the current user";
    }
    return "in the Wine prefix " + platform::CurrentWinePrefix();
}

[[noreturn]] void NothingInstalled() {
    std::string message = "No Outlook version is installed " + Where() + ".";
    if (platform::UsesWinePrefixes()) {
        message += " Give the prefix where Outlook is installed with --prefix DIR (\"vellicorctl prefixes\" lists "
                   "the prefixes found).";
    }
    throw ECtlExit{ctlexit::NothingInstalled, message};
}

// The version named by --version ("16.0", "16" or "Outlook 2007"), else the newest.
int ChooseVersion(const TOutlookInteraction& outlook, const std::optional<std::string>& wanted) {
    if (outlook.FVersions.empty()) {
        NothingInstalled();
    }
    if (!wanted) {
        return static_cast<int>(outlook.FVersions.size()) - 1;
    }
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < outlook.FVersions.size(); ++i) {
        const std::string number = VersionNumber(outlook.FVersions[i]);
        if (*wanted == number || *wanted + ".0" == number || SameLetters(*wanted, outlook.FVersions[i].DisplayName)) {
            return static_cast<int>(i);
        }
        numbers.push_back(number);
    }
    throw ECtlExit{ctlexit::NothingInstalled, "Outlook " + *wanted + " is not installed " + Where() +
                                                  "; the versions there are " + Joined(numbers, ", ") + "."};
}

// The two lists of one version, read as the program reads them but without creating the Security key when it
// is missing: a command that only reads leaves the hive as it found it.
class TListReader {
public:
    explicit TListReader(platform::IRegistry& registry) : FRegistry(registry) {}

    TExtensionList Read(const TOutlookInfo& info, const std::string& valueName) {
        const std::string keyPath = info.KeyPath + "Security\\";
        platform::TRegKey key = 0;
        const long opened = FRegistry.OpenKey(keyPath, platform::reg::AccessRead, key);
        if (opened == platform::reg::FileNotFound) {
            return {};
        }
        if (opened != platform::reg::Success) {
            Fail(Detailed("Cannot read the key HKEY_CURRENT_USER\\" + keyPath + "."));
        }
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        std::string data;
        long status = FRegistry.QueryValue(key, valueName, &type, nullptr, &size);
        if (status == platform::reg::Success && size > 0) {
            data.assign(size, '\0');
            status = FRegistry.QueryValue(key, valueName, &type, reinterpret_cast<unsigned char*>(data.data()), &size);
            data.resize(std::min<std::size_t>(size, data.size()));
        }
        const std::string detail = FRegistry.LastFailureDetail();
        FRegistry.CloseKey(key);
        if (status == platform::reg::FileNotFound) {
            return {};
        }
        if (status != platform::reg::Success) {
            Fail("Cannot read " + valueName + " of " + info.DisplayName + (detail.empty() ? "." : ":\n" + detail));
        }
        if (type != platform::reg::TypeSz && type != platform::reg::TypeExpandSz) {
            Fail(valueName + " of " + info.DisplayName +
                 " is not a text value, so it cannot be read as a list of file types, and it is left as it is. "
                 "Delete it or store it as a string (REG_SZ), then try again.");
        }
        const std::string text(data.c_str()); // up to the first zero byte
        return text.empty() ? TExtensionList{} : SplitExtensionList(text);
    }

private:
    std::string Detailed(std::string message) const {
        const std::string detail = FRegistry.LastFailureDetail();
        return detail.empty() ? message : message + "\n" + detail;
    }

    platform::IRegistry& FRegistry;
};

constexpr const char* AllowedValue = "Level1Remove";
constexpr const char* BlockedValue = "Level1Add";

class TCtl {
public:
    TCtl(const TOptions& options, const TCtlStreams& streams)
        : FOptions(options), FOut(streams.Out), FErr(streams.Err), FOutAsBytes(streams.OutAsBytes) {}

    int Run() {
        if (FOptions.Prefix) {
            std::string error;
            if (!platform::UsesWinePrefixes()) {
                Usage("--prefix applies only on Linux, where Outlook runs in a Wine prefix.");
            }
            if (!platform::SelectWinePrefix(*FOptions.Prefix, error)) {
                Fail(error);
            }
        }
        const std::string& command = FOptions.Command;
        if (command == "versions") {
            return Versions();
        }
        if (command == "list") {
            return List();
        }
        if (command == "prefixes") {
            return Prefixes();
        }
        if (command == "export") {
            return Export();
        }
        if (command == "status") {
            return Status();
        }
        return Edit();
    }

private:
    void PrefixMember(TJsonWriter& json) {
        json.Key("prefix");
        if (platform::UsesWinePrefixes()) {
            json.String(platform::CurrentWinePrefix());
        } else {
            json.Null();
        }
    }

    int Versions() {
        TOutlookInteraction outlook;
        if (FOptions.Json) {
            TJsonWriter json;
            json.BeginObject();
            PrefixMember(json);
            json.Key("versions").BeginArray();
            for (const TOutlookInfo& info : outlook.FVersions) {
                json.BeginObject().Key("version").String(VersionNumber(info)).Key("name").String(info.DisplayName);
                json.EndObject();
            }
            json.EndArray().EndObject();
            FOut << json.Text();
        } else {
            for (const TOutlookInfo& info : outlook.FVersions) {
                FOut << VersionNumber(info) << '\t' << info.DisplayName << '\n';
            }
        }
        if (outlook.FVersions.empty()) {
            NothingInstalled();
        }
        return ctlexit::Done;
    }

    int List() {
        TOutlookInteraction outlook;
        const TOutlookInfo& info =
            outlook.FVersions[static_cast<std::size_t>(ChooseVersion(outlook, FOptions.Version))];
        TListReader reader(platform::CurrentUserRegistry());
        const TExtensionList allowed = reader.Read(info, AllowedValue);
        const TExtensionList blocked = reader.Read(info, BlockedValue);
        if (FOptions.Json) {
            TJsonWriter json;
            json.BeginObject();
            PrefixMember(json);
            json.Key("version").String(VersionNumber(info)).Key("name").String(info.DisplayName);
            json.Key("allowed").Strings(allowed).Key("blocked").Strings(blocked).EndObject();
            FOut << json.Text();
        } else {
            for (const std::string& item : allowed) {
                FOut << "allowed\t" << item << '\n';
            }
            for (const std::string& item : blocked) {
                FOut << "blocked\t" << item << '\n';
            }
        }
        return ctlexit::Done;
    }

    // Outlook's default Level 1 list: Extensions.txt beside the program, as the program reads it, else where the
    // Linux package puts the program's data (lib/vellicor beside bin/).
    static std::vector<std::string> DefaultLevel1() {
        try {
            return ReadDefaultLevel1List();
        } catch (const Exception& beside) {
            const std::string installed = platform::GetExeFolder() + "../lib/vellicor/Extensions.txt";
            try {
                return PredefinedExtensions(ReadPredefinedFileTypes(installed));
            } catch (const Exception&) {
                Fail("Cannot read Outlook's default list of blocked file types, " + PredefinedFileTypesPath() + ": " +
                     beside.Message() + " Reinstall Vellicor.");
            }
        }
    }

    int Status() {
        TOutlookInteraction outlook;
        const TOutlookInfo& info =
            outlook.FVersions[static_cast<std::size_t>(ChooseVersion(outlook, FOptions.Version))];
        const std::vector<std::string> defaults = DefaultLevel1();
        const TSecurityLayers layers = ReadSecurityLayers(platform::CurrentUserRegistry(), info.KeyPath);
        const std::string number = VersionNumber(info);
        std::vector<TVerdict> verdicts;
        for (const std::string& name : FOptions.Operands) {
            verdicts.push_back(EvaluateAttachment(layers, name, defaults, number));
        }
        const std::vector<std::string> problems = LayerProblems(layers);
        if (FOptions.Json) {
            TJsonWriter json;
            json.BeginObject();
            PrefixMember(json);
            json.Key("version").String(number).Key("name").String(info.DisplayName);
            json.Key("results").BeginArray();
            for (std::size_t i = 0; i < verdicts.size(); ++i) {
                const TVerdict& verdict = verdicts[i];
                json.BeginObject().Key("name").String(FOptions.Operands[i]).Key("extension").String(verdict.Extension);
                json.Key("verdict").String(VerdictText(verdict.Verdict)).Key("reasons").Strings(verdict.Reasons);
                json.Key("restsOnTodaysList").Bool(verdict.RestsOnTodaysList).EndObject();
            }
            json.EndArray().Key("problems").Strings(problems).EndObject();
            FOut << json.Text();
        } else {
            for (std::size_t i = 0; i < verdicts.size(); ++i) {
                FOut << FOptions.Operands[i] << ": " << VerdictText(verdicts[i].Verdict) << '\n';
                for (const std::string& reason : verdicts[i].Reasons) {
                    FOut << "  " << reason << '\n';
                }
            }
            for (const std::string& problem : problems) {
                FErr << problem << '\n';
            }
        }
        return ctlexit::Done;
    }

    int Prefixes() {
        if (!platform::UsesWinePrefixes()) {
            FErr << "There are no Wine prefixes here: on Windows the current user's own registry is used.\n";
            if (FOptions.Json) {
                FOut << "[]\n";
            }
            return ctlexit::Done;
        }
        const std::vector<platform::TWinePrefixPlace> found = platform::FindWinePrefixes();
        // Each prefix is looked into in turn; the one the command line chose stands again afterwards.
        const std::string chosen = platform::CurrentWinePrefix();
        struct TRestore {
            std::string Chosen;
            bool Given;
            ~TRestore() {
                std::string error;
                if (!Given || !platform::SelectWinePrefix(Chosen, error)) {
                    platform::RestoreWinePrefix();
                }
            }
        } restore{chosen, FOptions.Prefix.has_value()};
        TJsonWriter json;
        json.BeginArray();
        for (const platform::TWinePrefixPlace& place : found) {
            std::string error;
            std::vector<std::string> versions;
            if (platform::SelectWinePrefix(place.Folder, error)) {
                TOutlookInteraction outlook;
                for (const TOutlookInfo& info : outlook.FVersions) {
                    versions.push_back(VersionNumber(info));
                }
            }
            if (FOptions.Json) {
                json.BeginObject().Key("folder").String(place.Folder).Key("kind").String(place.Kind);
                json.Key("outlook").Strings(versions).EndObject();
            } else {
                FOut << place.Folder << '\t' << place.Kind << '\t'
                     << (versions.empty() ? "no Outlook" : "Outlook " + Joined(versions, ", ")) << '\n';
            }
        }
        json.EndArray();
        if (FOptions.Json) {
            FOut << json.Text();
        }
        if (found.empty()) {
            FErr << "No Wine prefix was found in the usual places.\n";
        }
        return ctlexit::Done;
    }

    int Export() {
        TOutlookInteraction outlook;
        const TOutlookInfo& info =
            outlook.FVersions[static_cast<std::size_t>(ChooseVersion(outlook, FOptions.Version))];
        TListReader reader(platform::CurrentUserRegistry());
        const std::string allowed = JoinExtensionList(reader.Read(info, AllowedValue));
        const std::string blocked = JoinExtensionList(reader.Read(info, BlockedValue));
        const std::string number = VersionNumber(info);
        std::string bytes;
        if (*FOptions.Format == "reg") {
            bytes = RegeditFile({"The attachment lists of " + info.DisplayName + ", made by vellicorctl.",
                                 "Importing this file replaces both lists of the user who imports it."},
                                {{"HKEY_CURRENT_USER\\" + info.KeyPath + "Security",
                                  {{BlockedValue, blocked}, {AllowedValue, allowed}}}});
        } else {
            bytes = RegeditFile(
                {"Group Policy values for the attachment lists of " + info.DisplayName + ", made by vellicorctl.",
                 "AdminSecurityMode 3 puts every Outlook security setting under policy, not only these lists:",
                 "settings the user made in Outlook's own security options no longer apply.",
                 "AllowUsersToLowerAttachments 1 lets each user's own Level1Remove still open file types."},
                {{"HKEY_CURRENT_USER\\Software\\Policies\\Microsoft\\Office\\" + number + "\\Outlook\\Security",
                  {{"AdminSecurityMode", "", true, 3},
                   {"AllowUsersToLowerAttachments", "", true, 1},
                   {"FileExtensionsAddLevel1", blocked},
                   {"FileExtensionsRemoveLevel1", allowed}}}});
        }
        if (!FOptions.Output || *FOptions.Output == "-") {
            if (FOutAsBytes) {
                FOutAsBytes();
            }
            FOut.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            FOut.flush();
            return ctlexit::Done;
        }
        if (const platform::TReplaceFailure failure = platform::ReplaceFileContent(*FOptions.Output, bytes);
            failure.Failed()) {
            Fail(failure.Text() + ". Make sure its folder exists and is writable.");
        }
        FErr << "Wrote " << *FOptions.Output << ": the lists of " << info.DisplayName << ".\n";
        return ctlexit::Done;
    }

    // A file type as given on the command line, as it is to be stored: blanks trimmed and a missing leading
    // dot added (saying so), unless --exact asks for it as given.
    std::string Normalised(const std::string& given) {
        if (FOptions.Exact) {
            return given;
        }
        std::size_t first = 0;
        std::size_t last = given.size();
        while (first < last && static_cast<unsigned char>(given[first]) <= ' ') {
            ++first;
        }
        while (last > first && static_cast<unsigned char>(given[last - 1]) <= ' ') {
            --last;
        }
        std::string entry = given.substr(first, last - first);
        if (entry.empty() || entry == "." || entry == "*.") {
            Usage("\"" + given + "\" is not a file type. Give one such as .zip.");
        }
        for (const char c : entry) {
            if (static_cast<unsigned char>(c) <= ' ' || c == ';' || c == '"') {
                Usage("\"" + given +
                      "\" holds a blank, a semicolon or a quote. Give each file type as an argument of its own, or "
                      "use --exact to store it as it is.");
            }
        }
        if (entry.starts_with("*.")) {
            entry.erase(0, 1);
        } else if (entry[0] != '.') {
            entry.insert(0, 1, '.');
        }
        if (entry != given) {
            FErr << "\"" << given << "\" taken as \"" << entry
                 << "\" (a file type starts with a dot; --exact stores it as given).\n";
        }
        return entry;
    }

    bool Matches(const std::string& entry, const std::string& wanted) const {
        return FOptions.Exact ? entry == wanted : SameLetters(entry, wanted);
    }

    int Edit() {
        const std::string& command = FOptions.Command;
        const bool allowedList = command == "allow" || command == "unallow";
        const bool adding = command == "allow" || command == "block";
        const std::string listName = allowedList ? "allowed list (Level1Remove)" : "blocked list (Level1Add)";

        // Every argument is checked before anything is read or written.
        std::vector<std::string> entries;
        for (const std::string& operand : FOptions.Operands) {
            entries.push_back(Normalised(operand));
        }

        TOutlookInteraction outlook;
        const int index = ChooseVersion(outlook, FOptions.Version);
        const TOutlookInfo& info = outlook.FVersions[static_cast<std::size_t>(index)];
        TListReader reader(platform::CurrentUserRegistry());
        TExtensionList list = reader.Read(info, allowedList ? AllowedValue : BlockedValue);
        const TExtensionList other = reader.Read(info, allowedList ? BlockedValue : AllowedValue);
        const std::string where = "the " + listName + " of " + info.DisplayName;

        bool changed = false;
        for (std::size_t n = 0; n < entries.size(); ++n) {
            const std::string& entry = entries[n];
            const auto same = [&](const std::string& item) { return Matches(item, entry); };
            if (adding) {
                if (const auto found = std::find_if(list.begin(), list.end(), same); found != list.end()) {
                    FErr << entry << " is already on " << where << (*found == entry ? "" : " (as " + *found + ")")
                         << "; nothing changed for it.\n";
                    continue;
                }
                list.push_back(entry);
                changed = true;
                FErr << "Added " << entry << " to " << where << ".\n";
                if (allowedList && std::any_of(other.begin(), other.end(), same)) {
                    FErr << entry << " is also on the blocked list, which wins: \"vellicorctl unblock " << entry
                         << "\" takes it off.\n";
                }
            } else {
                const auto removed = std::erase_if(list, same);
                if (removed == 0) {
                    FErr << entry << " is not on " << where << "; nothing changed for it.\n";
                    const std::string& given = FOptions.Operands[n];
                    if (given != entry &&
                        std::any_of(list.begin(), list.end(), [&](const std::string& item) { return item == given; })) {
                        FErr << "The list holds \"" << given << "\" as it is: \"vellicorctl " << command << " --exact "
                             << given << "\" takes it off.\n";
                    }
                    continue;
                }
                changed = true;
                FErr << "Removed " << entry << " from " << where << ".\n";
            }
        }
        if (!changed) {
            FErr << "Nothing to save: the registry was not written.\n";
            return ctlexit::Done;
        }
        try {
            if (allowedList) {
                outlook.SetAllowedExtensions(index, list);
            } else {
                outlook.SetBlockedExtensions(index, list);
            }
        } catch (const Exception& e) {
            Fail(e.Message() + "\nNothing was changed.");
        }
        if (outlook.IsOutlookRunning()) {
            FErr << "Outlook is running: it reads the lists when it starts, so restart it.\n";
        }
        return ctlexit::Done;
    }

    const TOptions& FOptions;
    std::ostream& FOut;
    std::ostream& FErr;
    std::function<void()> FOutAsBytes;
};

} // namespace

std::string VellicorCtlUsage() {
    return R"(Usage: vellicorctl [OPTIONS] COMMAND [FILE TYPE...]

Reads and changes the e-mail attachment file types Outlook lets the current user open:
Level1Remove (allowed) and Level1Add (blocked) under
HKEY_CURRENT_USER\Software\Microsoft\Office\<version>\Outlook\Security.

Commands:
  versions              the Outlook versions installed for the user
  list                  both lists of a version
  allow EXT...          add file types to the allowed list (Level1Remove)
  block EXT...          add file types to the blocked list (Level1Add)
  unallow EXT...        take file types off the allowed list
  unblock EXT...        take file types off the blocked list
  export                write both lists as a regedit file (--format reg) or as the
                        Group Policy values for the same lists (--format policy-reg)
  status NAME...        what Outlook does with attachments of these names or types
                        (blocked, open after saving, not blocked) and why, policy included
  prefixes              the Wine prefixes found, and which hold Outlook (Linux)

Options:
  --version V           the Outlook version, such as 16.0 or "Outlook 2007";
                        the newest installed when not given
  --prefix DIR          the Wine prefix (Linux); else $WINEPREFIX, else ~/.wine
  --exact               store and match file types exactly as given: no dot added,
                        letter case counts
  --json                print what a reading command finds as JSON
  --format reg|policy-reg, -o FILE
                        export's format and file (standard output when not given)
  -h, --help            this text

Changes merge into the existing lists: every entry, its spelling and order stay.
Each change is one write of the registry, refused while Wine runs in the prefix.

Exit codes: 0 done, 1 wrong command line, 2 refused or failed,
3 no Outlook version installed (or not the one named).
)";
}

int RunVellicorCtl(const std::vector<std::string>& args, const TCtlStreams& streams) {
    try {
        const TOptions options = ParseArguments(args);
        if (options.Help) {
            streams.Out << VellicorCtlUsage();
            return ctlexit::Done;
        }
        if (options.Command.empty()) {
            streams.Err << VellicorCtlUsage();
            return ctlexit::Usage;
        }
        CheckOptions(options);
        return TCtl(options, streams).Run();
    } catch (const ECtlExit& e) {
        streams.Err << e.Message << '\n';
        return e.Code;
    } catch (const Exception& e) {
        streams.Err << e.Message() << '\n';
        return ctlexit::Failed;
    } catch (const std::exception& e) {
        streams.Err << "vellicorctl failed: " << e.what() << '\n';
        return ctlexit::Failed;
    }
}
