// Progress of long work on the tool's error stream: one line rewritten in place on a terminal,
// plain lines otherwise (a log keeps every step), nothing with --quiet.
//
//   ProgressLine progress(tool);                      // "zovorudovu demo: ..." on tool.err()
//   recorderOptions.progress = progress.stream();   // each line written is one update
//   progress.update("frame 30/421");
//   progress.finish();                               // ends the in-place line
#pragma once

#include <memory>
#include <ostream>
#include <string>

namespace zovo {

struct ToolContext;

class ProgressLine {
public:
    // `terminal` says whether `out` is a terminal.
    ProgressLine(std::string prefix, bool quiet, std::ostream& out, bool terminal);
    // The running command's progress, as its context says.
    explicit ProgressLine(const ToolContext& tool);
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
    std::ostream& out_;
    bool terminal_;
    bool open_ = false;
    std::unique_ptr<LineBuffer> buffer_;
    std::unique_ptr<std::ostream> stream_;
};

} // namespace zovo
