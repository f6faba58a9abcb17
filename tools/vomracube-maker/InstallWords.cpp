#include "InstallDialog.h"

std::string WaitText(int minutes) {
    if (minutes >= 60 && minutes % 60 == 0) {
        const int hours = minutes / 60;
        return std::to_string(hours) + (hours == 1 ? " hour" : " hours");
    }
    return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

std::string InstalledText(int minutes) {
    return "VomraCube is now your screen saver; it starts after " + WaitText(minutes) + ".";
}
