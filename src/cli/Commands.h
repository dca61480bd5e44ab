// The commands of sonadex-cli; each returns the exit status.
#pragma once

#include "CliOptions.h"

int RunShow(const CliOptions& options);
int RunList(const CliOptions& options);
int RunSet(const CliOptions& options);
int RunStrip(const CliOptions& options);
int RunMultiTag(const CliOptions& options);
int RunRename(const CliOptions& options);
int RunRenameAll(const CliOptions& options);
int RunGenres(const CliOptions& options);
int RunHelp(const CliOptions& options);
int RunConfig(const CliOptions& options);
int RunHistory(const CliOptions& options);
int RunUndo(const CliOptions& options);
