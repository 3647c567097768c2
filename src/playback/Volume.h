#pragma once
// Master volume, mute and the output device.
#include <string>
#include <vector>

namespace tav {

// Clamps to 0 ... 1 (0 ... 4 with AllowAmplify), applies, speaks "Volume N%".
void SetVolume(float volume);
void VolumeUp();    // command 207
void VolumeDown();  // command 208
void ToggleMute();  // command 218

struct DeviceMenuItem {
    int command;  // 5000 + device index
    std::string name;
    bool checked;
};
// The enabled output devices as the device menu lists them.
std::vector<DeviceMenuItem> DeviceMenuItems();
// Command 5000 + index: switches and says so.
void SwitchToDevice(int index);
// Re-opens the output on another device, keeping the place and the paused state.
bool SwitchOutputDevice(int index);

}  // namespace tav
