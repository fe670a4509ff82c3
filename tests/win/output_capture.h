// Standard output captured into a file, for the plain trace lines of the form
// dialogs (written with puts/printf, without any log prefix).
#pragma once
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// Points standard output at a temporary file while alive and restores the old
// stream afterwards; raw() gives everything written meanwhile.
class StdoutCapture {
public:
    explicit StdoutCapture(bool replayOnFailure = false) : replay_(replayOnFailure) {
        wchar_t dir[MAX_PATH], file[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"out", 0, file);
        path_ = file;
        std::fflush(stdout);
        saved_ = _dup(_fileno(stdout));
        _wfreopen(path_.c_str(), L"w", stdout);
        setvbuf(stdout, nullptr, _IONBF, 0);
    }
    ~StdoutCapture() {
        std::string seen = replay_ ? raw() : std::string();
        std::fflush(stdout);
        if (saved_ >= 0) {
            _dup2(saved_, _fileno(stdout));
            _close(saved_);
        }
        std::clearerr(stdout);
        DeleteFileW(path_.c_str());
        // Failure reports written while captured would be lost otherwise.
        if (replay_ && testing::Test::HasFailure()) std::fputs(seen.c_str(), stdout);
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    std::string raw() const {
        std::fflush(stdout);
        std::string all;
        if (FILE* f = _wfopen(path_.c_str(), L"rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
            std::fclose(f);
        }
        return all;
    }

private:
    std::wstring path_;
    int saved_ = -1;
    bool replay_;
};

// The plain trace lines, line ends without carriage returns.
class OutputCapture : public StdoutCapture {
public:
    OutputCapture() : StdoutCapture(true) {}
    std::string text() const {
        std::string out;
        for (char c : raw())
            if (c != '\r') out += c;
        return out;
    }
    bool has_line(const std::string& line) const { return ("\n" + text()).find("\n" + line + "\n") != std::string::npos; }
};
