#include "platform/Machine.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <fstream>

using platform::CurrentMachine;

TEST(Machine, InstallFromHiveReadsCodePageAndDrives)
{
    TempMachine machine;
    std::ofstream(machine.HiveFile(), std::ios::binary)
        << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\r\n"
           "\"ACP\"=\"1251\"\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n"
           "\"\\\\DosDevices\\\\M:\"=\""
        << machine.Root() << "\"\r\n";
    EXPECT_EQ(platform::InstallMachineFromHive(), std::nullopt);
    EXPECT_EQ(CurrentMachine().codePage.Number(), 1251);
    ASSERT_EQ(CurrentMachine().drives.Drives().size(), 1u);
    // Paths keep the names' bytes, whatever the code page.
    EXPECT_EQ(platform::HostPath("M:\\\xD0\x96"), machine.Root() + "/\xD0\x96");
    EXPECT_EQ(platform::SystemPath(machine.Root() + "/\xD0\x96"), "M:\\\xD0\x96");
    EXPECT_EQ(platform::HostPath("C:\\x"), std::nullopt);
}

namespace {

void WriteCodePageHive(const TempMachine& machine, const char* value)
{
    std::ofstream hive(machine.HiveFile(), std::ios::binary);
    hive << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\r\n";
    if (value) hive << "\"ACP\"=\"" << value << "\"\r\n";
}

} // namespace

TEST(Machine, SingleBytePagesKeepingAsciiAreTaken)
{
    const struct {
        const char* value; // nullptr: no "ACP" at all
        int page;
    } cases[] = {
        {nullptr, 1252}, {"1252", 1252},   {"1250", 1250},   {"1251", 1251},   {"1253", 1253},
        {"1255", 1255},  {"1258", 1258},   {"437", 437},     {"850", 850},     {"28591", 28591},
        {"28595", 28595}, {"28605", 28605}, {"01251", 1251},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(missing)");
        TempMachine machine(437);
        WriteCodePageHive(machine, c.value);
        EXPECT_EQ(platform::InstallMachineFromHive(), std::nullopt);
        EXPECT_EQ(CurrentMachine().codePage.Number(), c.page);
    }
}

// Never silently cp1252: the value is named, and the machine stays as it was.
TEST(Machine, OtherCodePageValuesAreRefusedByName)
{
    const char* const values[] = {"500",   "037", "932", "936", "949", "950", "65001", "99999", "28602",
                                  "0",     "-5",  "",    "12x", " 1252", "99999999999999999999"};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        TempMachine machine(1251);
        WriteCodePageHive(machine, value);
        const std::optional<std::string> refusal = platform::InstallMachineFromHive();
        ASSERT_TRUE(refusal.has_value());
        const std::string quoted = std::string(1, '"').append(value).append(1, '"');
        EXPECT_NE(refusal->find(quoted), std::string::npos) << *refusal;
        EXPECT_EQ(CurrentMachine().codePage.Number(), 1251);
    }
}

// The refusal also says why in a form the window words in the user's
// language; the English message is the one the command line prints.
TEST(Machine, ARefusalCarriesTheValueAndItsReason)
{
    using Reason = platform::CodePageRefusal::Reason;
    const struct {
        const char* value;
        Reason reason;
        const char* tail;
    } cases[] = {
        {"12x", Reason::NotANumber, "it is not a code page number."},
        {"99999", Reason::Unknown, "this system knows no such code page."},
        {"932", Reason::MultiByte, "it is a multi-byte code page; only single-byte code pages are supported."},
        {"500", Reason::ChangesAscii, "it does not keep the ASCII characters unchanged."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        TempMachine machine(1251);
        WriteCodePageHive(machine, c.value);
        const std::optional<platform::MachineRefusal> refusal = platform::InstallMachineOrRefuse();
        ASSERT_TRUE(refusal.has_value());
        ASSERT_TRUE(refusal->codePage.has_value());
        EXPECT_EQ(refusal->codePage->value, c.value);
        EXPECT_EQ(refusal->codePage->valueName, "ACP");
        EXPECT_EQ(refusal->codePage->reason, c.reason);
        EXPECT_EQ(refusal->message,
                  std::string("The code page \"") + c.value + "\" (value \"ACP\") cannot be used: " + c.tail);
    }
}
