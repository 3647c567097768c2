#pragma once
// Tavrolune.ini: sections in brackets, key=value lines, UTF-8. Reads behave
// like the Windows profile functions (missing key -> default, an integer read
// of a non-number -> 0); saving writes a temporary file and renames it over
// the old one, so a crash or a full disk leaves the old copy intact. Sections
// and keys this version does not know are kept.
#include <string>
#include <vector>

namespace tav {

class IniFile {
public:
    // A missing file gives an empty document and returns false.
    bool load(const std::string& path);
    // Atomic replace; false (and the old file untouched) when it cannot be written.
    bool save(const std::string& path) const;

    bool hasSection(const std::string& section) const;
    bool hasKey(const std::string& section, const std::string& key) const;
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& fallback = "") const;
    int getInt(const std::string& section, const std::string& key, int fallback) const;
    double getDouble(const std::string& section, const std::string& key, double fallback) const;
    std::vector<std::string> keys(const std::string& section) const;

    void setString(const std::string& section, const std::string& key, const std::string& value);
    void setInt(const std::string& section, const std::string& key, int value);
    // Removes all keys of the section (the section header stays).
    void clearSection(const std::string& section);
    // Removes the section entirely.
    void removeSection(const std::string& section);
    void removeKey(const std::string& section, const std::string& key);

private:
    struct Entry {
        std::string key, value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    std::vector<Section> sections_;
    Section* find(const std::string& section);
    const Section* find(const std::string& section) const;
};

}  // namespace tav
