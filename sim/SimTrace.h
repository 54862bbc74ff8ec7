#pragma once
// The call trace (ENCODER_SIM_TRACE): one line per call, appended to a file and flushed at once, so the
// file is complete even when the program dies mid-run.

#include <cstdio>
#include <memory>
#include <string>

namespace sim {

class SimTrace
{
public:
    // Starts appending to `path`, ending any previous trace; an empty path ends tracing. A file that
    // cannot be opened is reported on `diagnostics`.
    void Start(const std::string& path, std::FILE* diagnostics);
    void Line(const std::string& text);

private:
    struct Closer
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> m_file;
};

} // namespace sim
