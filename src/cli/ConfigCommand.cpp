// config: the settings the programs use, shown and changed without editing
// the hive by hand. It runs without the hive's machine, so that a code page
// the programs refuse can be repaired here.
#include "CliOutput.h"
#include "CliUsage.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "platform/CodePage.h"
#include "platform/CodePageSetting.h"
#include "platform/Machine.h"
#include "platform/PathText.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/StoredSettings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

namespace {

// What config shows: every value as the programs read it, in UTF-8.
struct ShownSettings {
    std::string hiveFile;
    std::string rename;
    bool prompt = false;
    std::string language;
    std::string codePage;        // as stored; "1252" when missing
    std::string codePageProblem; // why the programs refuse it, or ""
    bool drivesStored = false;   // false: the default table, made from the mounts
    std::vector<platform::Drive> drives;
};

ShownSettings ReadShownSettings(const platform::CHive& hive)
{
    ShownSettings shown;
    shown.hiveFile = platform::HivePath();
    if (std::optional<std::string> refusal = platform::InstallMachineFromHive())
        shown.codePageProblem = platform::ToUtf8(*refusal); // texts then read as cp1252
    shown.rename = platform::ToUtf8(settings::ReadRenamePattern());
    if (const auto program = settings::ReadProgramSettings()) shown.prompt = program->prompt;
    if (const auto language = settings::ReadLanguageSettings()) shown.language = platform::ToUtf8(language->language);
    shown.codePage = hive.Get(settings::kCodePageKey, settings::kCodePageValue).value_or("1252");
    shown.drivesStored = hive.HasKey("System\\MountedDevices");
    shown.drives = platform::DriveTable::FromHive(hive).Drives();
    return shown;
}

std::string SettingsText(const ShownSettings& shown)
{
    std::string text = "settings file  " + shown.hiveFile + "\n";
    text += "rename         " + TerminalText(shown.rename) + "\n";
    text += std::string("prompt         ") + settings::PromptText(shown.prompt) + "\n";
    text += "language       " + TerminalText(shown.language) + "\n";
    text += "codepage       " + TerminalText(shown.codePage) +
            (shown.codePageProblem.empty() ? "" : "  (refused: " + shown.codePageProblem + ")") + "\n";
    for (const platform::Drive& drive : shown.drives)
        text += std::string(1, drive.letter) + ":             " + TerminalText(drive.root) + "\n";
    if (!shown.drivesStored) text += "(no drive table is stored: these are the defaults of the moment)\n";
    return text;
}

std::string SettingsJson(const ShownSettings& shown)
{
    CJsonWriter json;
    json.BeginObject();
    json.PathMember("settings_file", shown.hiveFile);
    json.Member("rename", platform::DisplayText(shown.rename));
    json.Member("prompt", shown.prompt);
    json.Member("language", platform::DisplayText(shown.language));
    json.Member("codepage", platform::DisplayText(shown.codePage));
    json.Member("codepage_problem", shown.codePageProblem);
    json.Member("drives_stored", shown.drivesStored);
    json.Key("drives");
    json.BeginArray();
    for (const platform::Drive& drive : shown.drives) {
        json.BeginObject();
        json.Member("letter", std::string(1, drive.letter) + ":");
        json.PathMember("folder", drive.root);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Text() + "\n";
}

// The hive edited under its lock; false (with the problem named) when it could not be written.
bool EditHive(const std::function<bool(platform::CHive&)>& edit)
{
    std::string problem;
    if (platform::UpdateHiveFile(platform::HivePath(), edit, &problem)) return true;
    WriteError("the settings file " + platform::HivePath() + " cannot be written" +
               (problem.empty() ? std::string() : ": " + problem));
    return false;
}

// The program's keys, made where missing, as the set-up makes them: the
// window's functions open keys and never create them.
bool EnsureProgramKeys()
{
    const platform::CHive hive = platform::CHive::LoadFile(platform::HivePath());
    if (std::all_of(settings::kKeys.begin(), settings::kKeys.end(), [&](const char* key) { return hive.HasKey(key); }))
        return true;
    return EditHive([](platform::CHive& edited) {
        for (const char* key : settings::kKeys)
            if (!edited.HasKey(key)) edited.AddKey(key);
        return true;
    });
}

// The line, or the JSON document, that says what was set.
int Done(const std::string& name, const std::string& value, bool json)
{
    if (!json) {
        WriteOut(name + " set to " + TerminalText(value) + "\n");
        return 0;
    }
    CJsonWriter writer;
    writer.BeginObject();
    writer.Member("name", name);
    writer.PathMember("value", value);
    writer.EndObject();
    WriteOut(writer.Text() + "\n");
    return 0;
}

// Text for the hive: in the code page, which must hold every character.
std::optional<std::string> SystemText(const std::string& name, const std::string& utf8)
{
    if (const auto unholdable = platform::CurrentMachine().codePage.FirstUnholdable(utf8)) {
        UsageError(name + ": the text holds a character that code page " +
                   std::to_string(platform::CurrentMachine().codePage.Number()) + " cannot hold");
        return std::nullopt;
    }
    return platform::FromUtf8(utf8);
}

std::optional<bool> PromptValue(const std::string& text)
{
    for (const char* yes : {"TRUE", "true", "yes", "on", "1"})
        if (text == yes) return true;
    for (const char* no : {"FALSE", "false", "no", "off", "0"})
        if (text == no) return false;
    return std::nullopt;
}

// Why the programs cannot run on the page, or "" when they can.
std::string CodePageRefusal(const std::string& text)
{
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number <= 0) return "it is not a code page number";
    switch (platform::CodePage(number).Fitness()) {
    case platform::CodePageFitness::Usable:
        return {};
    case platform::CodePageFitness::Unknown:
        return "this system knows no such code page";
    case platform::CodePageFitness::MultiByte:
        return "it is a multi-byte code page; only single-byte code pages are supported";
    case platform::CodePageFitness::ChangesAscii:
        return "it does not keep the ASCII characters unchanged";
    }
    return "it cannot be used";
}

bool IsDriveName(const std::string& name)
{
    return name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])) != 0;
}

// Any stored table replaces the defaults, so the new drive is written with
// every drive the programs see now.
int SetDrive(const std::string& name, const std::string& folder, bool json)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error).lexically_normal();
    struct stat info {};
    if (error || stat(absolute.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return UsageError(name + ": '" + folder + "' is not a folder");
    std::string root = absolute.string();
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (!EditHive([&](platform::CHive& hive) {
            std::vector<platform::Drive> drives{{letter, root, {}}}; // first: it replaces a drive of that letter
            const auto current = platform::DriveTable::FromHive(hive).Drives();
            drives.insert(drives.end(), current.begin(), current.end());
            return platform::DriveTable(std::move(drives)).WriteTo(hive);
        }))
        return 1;
    return Done(std::string(1, letter) + ":", root, json);
}

int SetCodePage(const std::string& value, bool json)
{
    if (const std::string refusal = CodePageRefusal(value); !refusal.empty())
        return UsageError("codepage: \"" + value + "\" cannot be used: " + refusal);
    if (!EditHive([&](platform::CHive& hive) {
            if (!hive.HasKey(settings::kCodePageKey)) hive.AddKey(settings::kCodePageKey);
            return hive.Set(settings::kCodePageKey, settings::kCodePageValue, value);
        }))
        return 1;
    return Done("codepage", value, json);
}

int CannotWrite()
{
    WriteError("the settings file " + platform::HivePath() + " cannot be written");
    return 1;
}

// rename, prompt and language go through the window's own store functions.
int SetProgramValue(const std::string& name, const std::string& value, bool json)
{
    std::function<bool()> store;
    if (name == "prompt") {
        const std::optional<bool> prompt = PromptValue(value);
        if (!prompt) return UsageError("prompt: '" + value + "' is not TRUE or FALSE");
        store = [prompt] { return settings::StorePrompt(*prompt); };
        if (!EnsureProgramKeys() || !store()) return CannotWrite();
        return Done(name, settings::PromptText(*prompt), json);
    } else {
        const std::optional<std::string> text = SystemText(name, value);
        if (!text) return 2;
        if (name == "language" && (text->empty() || text->find_first_of("/\\") != std::string::npos))
            return UsageError("language: give the name of a language file without its folder and \".qzd\"");
        if (name == "rename")
            store = [text] { return settings::StoreRenamePattern(*text); };
        else
            store = [text] { return settings::StoreLanguage(*text); };
    }
    if (!EnsureProgramKeys() || !store()) return CannotWrite();
    return Done(name, value, json);
}

constexpr std::array<const char*, 4> kSettingNames = {"rename", "prompt", "language", "codepage"};

int SetSetting(const std::vector<std::string>& operands, bool json)
{
    if (operands.size() != 3) return UsageError("'config set' needs NAME and VALUE");
    const std::string& name = operands[1];
    const std::string& value = operands[2];
    if (IsDriveName(name)) return SetDrive(name, value, json);
    if (name == "codepage") return SetCodePage(value, json);
    if (std::find(kSettingNames.begin(), kSettingNames.end(), name) != kSettingNames.end())
        return SetProgramValue(name, value, json);
    return UsageError("unknown setting '" + name + "' (rename, prompt, language, codepage, or a drive such as D:)");
}

} // namespace

int RunConfig(const CliOptions& options)
{
    if (!options.operands.empty()) {
        if (options.operands.front() != "set")
            return UsageError("unknown config action '" + options.operands.front() + "' (only 'set')");
        return SetSetting(options.operands, options.json);
    }
    platform::CHive::Loaded loaded = platform::CHive::Load(platform::HivePath());
    if (!loaded.hive) {
        WriteError(platform::ToUtf8(loaded.problem));
        return 1;
    }
    const ShownSettings shown = ReadShownSettings(*loaded.hive);
    WriteOut(options.json ? SettingsJson(shown) : SettingsText(shown));
    return 0;
}
