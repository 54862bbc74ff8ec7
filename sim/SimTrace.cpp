#include "SimTrace.h"

#include <ostream>

namespace sim {

void SimTrace::Start(const std::string& path, std::ostream& diagnostics)
{
    m_file.reset();
    if (path.empty())
        return;
    m_file.reset(std::fopen(path.c_str(), "ab"));
    if (!m_file) {
        diagnostics << "ivrlib32 (simulated): ENCODER_SIM_TRACE=\"" + path +
                           "\" cannot be opened for appending; not tracing\n"
                    << std::flush;
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
