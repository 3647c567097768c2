#pragma once
// Tavrolune.ini: sections in brackets, key=value lines, UTF-8. Reads behave
// like the Windows profile functions (missing key -> default, an integer read
// of a non-number -> 0, section and key names compared without regard to
// ASCII case, values trimmed of blanks); saving writes a temporary file and
// renames it over the old one, so a crash or a full disk leaves the old copy
// intact. Sections, keys and comment lines this version does not know are kept.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tav {

class IniFile {
public:
    // What load() accepts at most. Anything past the file cap is not read, and
    // a longer line is skipped whole: a hostile or broken file costs a bounded
    // amount of memory and time, never the program.
    static constexpr size_t kMaxFileBytes = 8u << 20;
    static constexpr size_t kMaxLineBytes = 64u << 10;

    // Replaces the document with the file's content. A missing or unreadable
    // file gives an empty document and returns false (errno tells which).
    bool load(const std::string& path);
    // Atomic replace; false (and the old file untouched) when it cannot be written.
    bool save(const std::string& path) const;
    // The text save() writes.
    std::string serialize() const;
    void parse(std::string_view text);

    bool hasSection(const std::string& section) const;
    bool hasKey(const std::string& section, const std::string& key) const;
    // The value trimmed of surrounding spaces and tabs, or fallback when the
    // key is missing.
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& fallback = "") const;
    // Leading digits count ("12abc" -> 12, a leading "-" allowed); a present
    // value that does not start with a number gives 0. Saturates at the int range.
    int getInt(const std::string& section, const std::string& key, int fallback) const;
    // Text to double with a full stop, whatever the process locale; a present
    // value that is not a finite number gives 0.
    double getDouble(const std::string& section, const std::string& key, double fallback) const;
    // Key names of the section in file order (first occurrence of each).
    std::vector<std::string> keys(const std::string& section) const;

    // Line breaks inside a value would start new lines in the file, so they
    // are written as spaces.
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
        bool raw = false;  // a comment or other line without "=", kept verbatim in key
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::unordered_map<std::string, size_t> index;  // lower-case key -> first entry
        void reindex();
    };
    std::vector<std::string> preamble_;  // lines before the first section
    std::vector<Section> sections_;
    std::unordered_map<std::string, size_t> sectionIndex_;  // lower-case name -> first section

    void reindex();
    Section* find(const std::string& section);
    const Section* find(const std::string& section) const;
    const Entry* findEntry(const std::string& section, const std::string& key) const;
};

// The leading-digits integer rule of getInt, for values read elsewhere.
int ProfileInt(std::string_view text);
// The text-to-double rule of getDouble.
double ProfileDouble(std::string_view text);
// "C"-locale fixed formatting with the given number of decimals ("%.2f").
std::string FormatFixed(double value, int decimals);
// At most maxChars UTF-8 characters of text (never cuts a character in two).
std::string CapChars(std::string text, size_t maxChars);

}  // namespace tav
