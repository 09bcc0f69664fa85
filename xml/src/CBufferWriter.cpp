#include "xandril/CSEM2XML.h"
#include "xandril/XmlWriters.h"

#include <cstring>

namespace xandril {

namespace {
constexpr std::size_t kStep = 1024;
constexpr std::size_t kDeclarationLength = 38; // without CR LF
} // namespace

CBufferWriter::CBufferWriter(unsigned char** out) : m_out(out)
{
    *m_out = new unsigned char[kStep];
    m_capacity = kStep;
    std::memcpy(*m_out, CSEM2XML::m_declare, kDeclarationLength);
    m_length = kDeclarationLength;
}

void CBufferWriter::write(const void* data, std::size_t size)
{
    if (m_capacity - m_length < size) {
        std::size_t capacity = (m_length + size + kStep) / kStep * kStep;
        auto* grown = new unsigned char[capacity];
        std::memcpy(grown, *m_out, m_length);
        delete[] *m_out;
        *m_out = grown;
        m_capacity = capacity;
    }
    std::memcpy(*m_out + m_length, data, size);
    m_length += size;
}

} // namespace xandril
