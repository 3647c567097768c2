#include "storage/IniFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace tav {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

// A value, key or section name must stay on its own line.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r') c = ' ';
    return s;
}

bool WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

int ProfileInt(std::string_view text) {
    std::string_view s = Trim(text);
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && s[i] == '-') {
        negative = true;
        ++i;
    }
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) v = -v;
    if (v > INT_MAX) v = INT_MAX;
    return static_cast<int>(v);
}

double ProfileDouble(std::string_view text) {
    std::string_view s = Trim(text);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    // A second sign ("--1") is not a number; from_chars would take it.
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) return 0.0;
    double v = 0.0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || !std::isfinite(v)) return 0.0;
    return negative ? -v : v;
}

std::string FormatFixed(double value, int decimals) {
    if (!std::isfinite(value)) value = 0.0;
    char buf[512];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return "0";
    return std::string(buf, r.ptr);
}

std::string CapChars(std::string text, size_t maxChars) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // continuation byte
        if (chars == maxChars) {
            text.resize(i);
            break;
        }
        ++chars;
    }
    return text;
}

void IniFile::Section::reindex() {
    index.clear();
    for (size_t i = 0; i < entries.size(); ++i)
        if (!entries[i].raw) index.emplace(Lower(entries[i].key), i);
}

void IniFile::reindex() {
    sectionIndex_.clear();
    for (size_t i = 0; i < sections_.size(); ++i) sectionIndex_.emplace(Lower(sections_[i].name), i);
}

void IniFile::parse(std::string_view text) {
    preamble_.clear();
    sections_.clear();
    sectionIndex_.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    Section* current = nullptr;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view raw = text.substr(pos, end - pos);
        pos = end + 1;
        if (raw.size() > kMaxLineBytes) continue;
        std::string_view line = Trim(raw);
        if (line.empty()) continue;

        if (line[0] == '[') {
            size_t close = line.find(']');
            if (close != std::string_view::npos) {
                sections_.push_back(Section{std::string(Trim(line.substr(1, close - 1))), {}, {}});
                current = &sections_.back();
                continue;
            }
        }
        Entry e;
        size_t eq = line.find('=');
        std::string_view key = eq == std::string_view::npos ? std::string_view() : Trim(line.substr(0, eq));
        if (key.empty()) {
            e.key = std::string(line);
            e.raw = true;
        } else {
            e.key = std::string(key);
            e.value = std::string(Trim(line.substr(eq + 1)));
        }
        if (current)
            current->entries.push_back(std::move(e));
        else
            preamble_.push_back(e.raw ? e.key : e.key + "=" + e.value);
    }
    for (auto& s : sections_) s.reindex();
    reindex();
}

bool IniFile::load(const std::string& path) {
    parse({});
    // Non-blocking so that a FIFO put in the file's place cannot hang start-up.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return false;
    }
    std::string data;
    data.resize(kMaxFileBytes + 1);
    size_t got = 0;
    bool failed = false;
    while (got < data.size()) {
        ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            failed = true;
            break;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    int savedErrno = errno;
    ::close(fd);
    if (failed) {
        errno = savedErrno;
        return false;
    }
    data.resize(got);
    if (got > kMaxFileBytes) {
        // Cut at the cap: the last, partial line is not trusted.
        data.resize(kMaxFileBytes);
        auto nl = data.rfind('\n');
        data.resize(nl == std::string::npos ? 0 : nl + 1);
    }
    parse(data);
    return true;
}

std::string IniFile::serialize() const {
    std::string out;
    for (const auto& line : preamble_) out += line + "\n";
    for (const auto& s : sections_) {
        if (!out.empty()) out += "\n";
        out += "[" + s.name + "]\n";
        for (const auto& e : s.entries) {
            out += e.key;
            if (!e.raw) out += "=" + e.value;
            out += "\n";
        }
    }
    return out;
}

bool IniFile::save(const std::string& path) const {
    // Write through a symbolic link instead of replacing the link with a file.
    std::string target = path;
    struct stat lst;
    if (lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    std::string tmp = target + ".tmpXXXXXX";
    int fd = mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return false;

    struct stat old;
    // A new file is private: it may hold the user's API key.
    fchmod(fd, stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600);

    const std::string text = serialize();
    bool ok = WriteAll(fd, text) && fsync(fd) == 0;
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && std::rename(tmp.c_str(), target.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        errno = savedErrno;
        return false;
    }
    // Make the rename itself durable.
    int dfd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        ::close(dfd);
    }
    return true;
}

IniFile::Section* IniFile::find(const std::string& section) {
    auto it = sectionIndex_.find(Lower(section));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const IniFile::Section* IniFile::find(const std::string& section) const {
    auto it = sectionIndex_.find(Lower(section));
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const IniFile::Entry* IniFile::findEntry(const std::string& section, const std::string& key) const {
    const Section* s = find(section);
    if (!s) return nullptr;
    auto it = s->index.find(Lower(key));
    return it == s->index.end() ? nullptr : &s->entries[it->second];
}

bool IniFile::hasSection(const std::string& section) const { return find(section) != nullptr; }

bool IniFile::hasKey(const std::string& section, const std::string& key) const {
    return findEntry(section, key) != nullptr;
}

std::string IniFile::getString(const std::string& section, const std::string& key,
                               const std::string& fallback) const {
    const Entry* e = findEntry(section, key);
    return e ? std::string(Trim(e->value)) : fallback;
}

int IniFile::getInt(const std::string& section, const std::string& key, int fallback) const {
    const Entry* e = findEntry(section, key);
    return e ? ProfileInt(e->value) : fallback;
}

double IniFile::getDouble(const std::string& section, const std::string& key, double fallback) const {
    const Entry* e = findEntry(section, key);
    return e ? ProfileDouble(e->value) : fallback;
}

std::vector<std::string> IniFile::keys(const std::string& section) const {
    std::vector<std::string> out;
    const Section* s = find(section);
    if (!s) return out;
    for (size_t i = 0; i < s->entries.size(); ++i) {
        const Entry& e = s->entries[i];
        if (e.raw) continue;
        auto it = s->index.find(Lower(e.key));
        if (it != s->index.end() && it->second == i) out.push_back(e.key);
    }
    return out;
}

void IniFile::setString(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = find(section);
    if (!s) {
        sections_.push_back(Section{OneLine(section), {}, {}});
        sectionIndex_.emplace(Lower(section), sections_.size() - 1);
        s = &sections_.back();
    }
    const std::string lower = Lower(key);
    auto it = s->index.find(lower);
    if (it != s->index.end()) {
        s->entries[it->second].value = OneLine(value);
        return;
    }
    s->entries.push_back(Entry{OneLine(key), OneLine(value), false});
    s->index.emplace(lower, s->entries.size() - 1);
}

void IniFile::setInt(const std::string& section, const std::string& key, int value) {
    setString(section, key, std::to_string(value));
}

void IniFile::clearSection(const std::string& section) {
    if (Section* s = find(section)) {
        s->entries.clear();
        s->index.clear();
    }
}

void IniFile::removeSection(const std::string& section) {
    const std::string lower = Lower(section);
    std::erase_if(sections_, [&](const Section& s) { return Lower(s.name) == lower; });
    reindex();
}

void IniFile::removeKey(const std::string& section, const std::string& key) {
    Section* s = find(section);
    if (!s) return;
    const std::string lower = Lower(key);
    std::erase_if(s->entries, [&](const Entry& e) { return !e.raw && Lower(e.key) == lower; });
    s->reindex();
}

}  // namespace tav
