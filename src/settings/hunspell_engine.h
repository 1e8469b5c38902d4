#pragma once
// The spelling engine over Hunspell.

namespace jb::settings_ui {}
