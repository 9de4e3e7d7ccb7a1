#include "cli/Progress.h"

#include "cli/Command.h"
#include "foundation/Json.h"

#include <streambuf>

namespace zovo {

class ProgressLine::LineBuffer : public std::streambuf {
public:
    explicit LineBuffer(ProgressLine& owner) : owner_(owner) {}

protected:
    int_type overflow(int_type c) override
    {
        if (c == traits_type::eof()) return traits_type::not_eof(c);
        if (c == '\n') {
            owner_.update(line_);
            line_.clear();
        } else {
            line_.push_back(static_cast<char>(c));
        }
        return c;
    }

private:
    ProgressLine& owner_;
    std::string line_;
};

ProgressLine::ProgressLine(const ToolContext& tool)
    : ProgressLine("zovorudovu " + tool.command, tool.quiet, tool.err(), tool.streams.errIsTerminal)
{
}

ProgressLine::ProgressLine(std::string prefix, bool quiet, std::ostream& out, bool terminal)
    : prefix_(std::move(prefix)), quiet_(quiet), out_(out), terminal_(terminal)
{
}

ProgressLine::~ProgressLine() { finish(); }

void ProgressLine::update(const std::string& text)
{
    if (quiet_) return;
    const std::string line = prefix_ + ": " + repairUtf8(text);
    if (terminal_) {
        // Back to the start of the line and clear it, so a shorter text leaves nothing behind.
        out_ << "\r\033[K" << line;
        open_ = true;
    } else {
        out_ << line << '\n';
    }
    out_.flush();
}

void ProgressLine::finish()
{
    if (!open_) return;
    out_ << '\n' << std::flush;
    open_ = false;
}

std::ostream* ProgressLine::stream()
{
    if (quiet_) return nullptr;
    if (!stream_) {
        buffer_ = std::make_unique<LineBuffer>(*this);
        stream_ = std::make_unique<std::ostream>(buffer_.get());
    }
    return stream_.get();
}

} // namespace zovo
