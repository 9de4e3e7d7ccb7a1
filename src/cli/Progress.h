// Progress of long work on standard error: one line rewritten in place on a terminal, plain lines
// otherwise (a log keeps every step), nothing with --quiet.
//
//   ProgressLine progress("zovorudovu demo", tool.quiet);
//   recorderOptions.progress = progress.stream();   // each line written is one update
//   progress.update("frame 30/421");
//   progress.finish();                               // ends the in-place line
#pragma once

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>

namespace zovo {

class ProgressLine {
public:
    // `terminal` says whether `out` is a terminal; by default it is asked of standard error.
    ProgressLine(std::string prefix, bool quiet, std::FILE* out = stderr);
    ProgressLine(std::string prefix, bool quiet, std::FILE* out, bool terminal);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void update(const std::string& text);
    // Ends a line left open in place, so that what follows starts on a line of its own.
    void finish();
    // A stream whose every line is an update; null when quiet, for writers that take a null
    // stream to mean silence.
    std::ostream* stream();

private:
    class LineBuffer;
    std::string prefix_;
    bool quiet_;
    std::FILE* out_;
    bool terminal_;
    bool open_ = false;
    std::unique_ptr<LineBuffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
};

} // namespace zovo
