// Collects the trace log written during one test in a folder of its own.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "foundation/trace.h"

class TraceCapture {
  public:
    TraceCapture() {
        char folder[] = "/tmp/sluice-trace-XXXXXX";
        folder_ = mkdtemp(folder);
        const char* old = getenv("TMPDIR");
        if (old != nullptr) oldTmpDir_ = old;
        hadTmpDir_ = old != nullptr;
        setenv("TMPDIR", folder_.c_str(), 1);
        glb_DebugFlag = 1;
    }
    ~TraceCapture() {
        std::remove((folder_ + "/Sluice_Debug.txt").c_str());
        rmdir(folder_.c_str());
        if (hadTmpDir_) {
            setenv("TMPDIR", oldTmpDir_.c_str(), 1);
        } else {
            unsetenv("TMPDIR");
        }
        ResetTraceForTests();
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    // The whole log (CP932).
    std::string Text() const {
        std::ifstream file(folder_ + "/Sluice_Debug.txt", std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    // True when a line with this step, detail and number was written.
    bool Has(const std::string& step, const std::string& detail, int number) const {
        return Text().find(" " + step + "■" + detail + "■" + std::to_string(number) + "\n") !=
               std::string::npos;
    }

  private:
    std::string folder_;
    std::string oldTmpDir_;
    bool hadTmpDir_ = false;
};
