// rel_table_close create|rewrite SYSTEMPATH: makes a small language table,
// or loads one and closes it again (which writes it back), so that a test
// can run the table's write-back under the fault shim.
// Exit 0 when Create/Load and Close reported success, 1 otherwise.
#include "platform/Machine.h"
#include "table/TableFile.h"

#include <cstdio>
#include <string>

namespace {

bool CreateTable(const std::string& path)
{
    CTableFile table;
    table.Create(path, {"ID", "TEXT"}, {"005", "040"},
                 {"00001Datei                                   ", "00002Ordner                                  ",
                  "00003Umbenennen                              "});
    return table.Close();
}

bool RewriteTable(const std::string& path)
{
    CTableFile table;
    return table.Load(path) && table.Close();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: rel_table_close create|rewrite SYSTEMPATH\n", stderr);
        return 2;
    }
    if (const std::optional<std::string> refusal = platform::InstallMachineFromHive()) {
        std::fprintf(stderr, "%s\n", refusal->c_str());
        return 2;
    }
    const std::string command = argv[1];
    const bool done = command == "create" ? CreateTable(argv[2]) : RewriteTable(argv[2]);
    if (!done) std::fprintf(stderr, "%s: cannot %s the table\n", argv[2], argv[1]);
    return done ? 0 : 1;
}
