// pugixml's raw printing writes an empty element as <a b="2"/>; our buffer
// format, like the indented file format, has a space: <a b="2" />. This
// sink sits in front of another and adds that space, keeping track of
// tags and quoted attribute values across chunk boundaries.
#pragma once

#include <pugixml.hpp>

#include <string>

namespace xandril {

class SpacedEmptyTagWriter : public pugi::xml_writer {
public:
    explicit SpacedEmptyTagWriter(pugi::xml_writer& target) : m_target(target) {}

    void write(const void* data, std::size_t size) override;
    // Hands on a '/' still held back at the end of the output.
    void finish();

private:
    pugi::xml_writer& m_target;
    bool m_inTag = false;
    char m_quote = 0;
    bool m_slashHeld = false;
    char m_last = 0; // last byte handed on, across chunks
    std::string m_out;
};

} // namespace xandril
