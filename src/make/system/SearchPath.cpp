#include "make/system/SearchPath.h"

std::vector<std::string> SplitSearchPath(const std::string& list, char separator) {
    std::vector<std::string> folders;
    for (size_t begin = 0; begin <= list.size();) {
        size_t end = list.find(separator, begin);
        if (end == std::string::npos) {
            end = list.size();
        }
        folders.push_back(list.substr(begin, end - begin));
        begin = end + 1;
    }
    return folders;
}
