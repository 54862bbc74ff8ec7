#include "SimTrace.h"

#include <cstdio>

namespace sim {

void SimTrace::Start(const std::string& path, std::FILE* diagnostics)
{
    m_file.reset();
    if (path.empty())
        return;
    m_file.reset(std::fopen(path.c_str(), "ab"));
    if (!m_file) {
        std::fputs(("ivrlib32 (simulated): ENCODER_SIM_TRACE=\"" + path +
                    "\" cannot be opened for appending; not tracing\n")
                       .c_str(),
                   diagnostics);
        std::fflush(diagnostics);
    }
}

void SimTrace::Line(const std::string& text)
{
    if (!m_file)
        return;
    std::fputs((text + "\n").c_str(), m_file.get());
    std::fflush(m_file.get());
}

} // namespace sim
