#pragma once
// The settings file "MivoCompile.ini", section "Configuration". Loading reads
// every key, writes back defaults for missing ones, checks that the three tool
// paths can be opened (aborting the start when one cannot), opens the debug
// window and re-adopts the last script when so configured. Saving writes the
// user-changeable settings and ends the program.

constexpr const char* kConfigSection = "Configuration";
constexpr const char* kAbsent = "!!!";  // read default that marks a missing key
constexpr unsigned kSettingReadCapacity = 513;
constexpr int kRunDelayCapSeconds = 60;  // longest automatic-run delay honoured

constexpr const char* kDefaultTemplatePath = "C:\\VORN\\MivoConvert\\Mivokestrix\\KestRix.exe";
constexpr const char* kDefaultCheckerPath = "C:\\VORN\\MivoConvert\\Tools\\Sarvex.exe";
constexpr const char* kDefaultBrcPath = "C:\\VORN\\MivoConvert\\Bc4\\bin\\brc32.exe";

void LoadConfiguration();
void SaveConfiguration();
// The delay the automatic run uses: negative counts as 0, more than the cap as the cap.
int BoundedRunDelay(int seconds);
