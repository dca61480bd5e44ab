#include "FirstStart.h"

#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "setup/SettingsDefaults.h"
#include "setup/SetupEnvironment.h"

#include <string>

void ApplyFirstStartDefaults()
{
    const platform::CHive hive = platform::CHive::LoadFile(platform::HivePath());
    if (hive.Get(settings::kVelmoraKey, settings::kLangPathValue)) return;
    // Without installed language files (a copied binary), the folder the set-up would fill.
    const std::string langFolder = setup::DefaultLanguageSource().value_or(setup::LanguageTarget());
    std::string problem;
    static_cast<void>(setup::AddUserDefaults(langFolder, setup::MusicFolder(), problem));
}
