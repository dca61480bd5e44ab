// rel_hive_write NAME VALUE: sets one string value of the program's key in
// the hive named by $SONADEX_HIVE, so that a test can run the hive write
// under the fault shim without the shim touching the test itself.
// Exit 0 when the write reported success, 1 otherwise.
#include "platform/Registry.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: rel_hive_write NAME VALUE\n", stderr);
        return 2;
    }
    platform::CRegKey key;
    if (key.Open("Software\\Velmora\\Sonadex Pro", platform::KEY_WRITE) != platform::ERROR_SUCCESS) return 1;
    const long result = key.SetStringValue(argv[1], argv[2]);
    if (result != platform::ERROR_SUCCESS) std::fprintf(stderr, "cannot write the hive: %ld\n", result);
    return result == platform::ERROR_SUCCESS ? 0 : 1;
}
