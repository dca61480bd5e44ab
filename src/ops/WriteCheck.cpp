#include "WriteCheck.h"

#include "platform/File.h"

int WriteOpenError(const std::string& systemPath)
{
    platform::CFile file;
    if (!file.Open(systemPath, platform::CFile::modeReadWrite)) return file.LastError();
    file.Close();
    return 0;
}
