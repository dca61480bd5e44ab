// Runs a piece of a test in a forked child, for checks that need another
// process or another user (permissions do not bind root).
#pragma once

#include <functional>

// Returns fn's result as the child's exit code, or 100 + the signal that ended it.
int RunInChild(const std::function<int()>& fn);
// In a child: drops to the user and group "nobody". False when that failed.
bool BecomeNobody();
