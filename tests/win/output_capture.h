// Standard output captured into a file, for the plain trace lines of the form
// dialogs (written with puts/printf, without any log prefix).
#pragma once
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// Standard output into a file while alive; text() gives what was written.
class OutputCapture {
public:
    OutputCapture() {
        wchar_t dir[MAX_PATH], file[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        GetTempFileNameW(dir, L"frm", 0, file);
        path_ = file;
        std::fflush(stdout);
        saved_ = _dup(_fileno(stdout));
        _wfreopen(path_.c_str(), L"w", stdout);
    }
    ~OutputCapture() {
        std::string seen = text();
        std::fflush(stdout);
        _dup2(saved_, _fileno(stdout));
        _close(saved_);
        std::clearerr(stdout);
        DeleteFileW(path_.c_str());
        // Failure reports written while captured would be lost otherwise.
        if (testing::Test::HasFailure()) std::fputs(seen.c_str(), stdout);
    }
    std::string text() const {
        std::fflush(stdout);
        std::string all;
        if (FILE* f = _wfopen(path_.c_str(), L"rb")) {
            char buf[4096];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
            std::fclose(f);
        }
        std::string out;
        for (char c : all)
            if (c != '\r') out += c;
        return out;
    }
    bool has_line(const std::string& line) const { return ("\n" + text()).find("\n" + line + "\n") != std::string::npos; }

private:
    std::wstring path_;
    int saved_ = -1;
};

