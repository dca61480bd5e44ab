// Who runs the program: the user's name and home folder on the host.
#pragma once

#include <string>

namespace platform {

// $HOME, else the home folder of the user database; "" when neither is known.
std::string HomeFolder();
// The login name of the user database, else $USER; "" when neither is known.
std::string UserName();

} // namespace platform
