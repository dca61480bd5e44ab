#include "FileFailure.h"

#include "CliOutput.h"
#include "platform/File.h"

std::string OpenFailureReason(const std::string& systemPath)
{
    platform::CFile file;
    if (file.Open(systemPath, platform::CFile::modeRead)) return "could not be opened";
    return "cannot open: " + ErrorText(file.LastError());
}
