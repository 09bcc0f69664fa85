#include "SpacedEmptyTagWriter.h"

namespace xandril {

void SpacedEmptyTagWriter::write(const void* data, std::size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    m_out.clear();
    m_out.reserve(size + 8);
    for (std::size_t i = 0; i < size; ++i) {
        char c = bytes[i];
        if (m_slashHeld) {
            m_slashHeld = false;
            // "/>" closes an empty element only when the '/' does not
            // already follow a space.
            if (c == '>' && m_last != ' ')
                m_out += " />";
            else {
                m_out += '/';
                m_out += c;
            }
            if (c == '>')
                m_inTag = false;
            m_last = c;
            continue;
        }
        if (m_quote) {
            if (c == m_quote)
                m_quote = 0;
        } else if (m_inTag) {
            if (c == '"' || c == '\'')
                m_quote = c;
            else if (c == '/') {
                m_slashHeld = true;
                continue;
            } else if (c == '>')
                m_inTag = false;
        } else if (c == '<') {
            m_inTag = true;
        }
        m_out += c;
        m_last = c;
    }
    if (!m_out.empty())
        m_target.write(m_out.data(), m_out.size());
}

void SpacedEmptyTagWriter::finish()
{
    if (m_slashHeld) {
        m_slashHeld = false;
        m_target.write("/", 1);
    }
}

} // namespace xandril
