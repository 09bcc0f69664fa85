// One attribute value: its text (what is written to XML) plus typed
// copies. The typed slots are independent caches: a typed setter updates
// its own slot and the text; setValue(const char*) updates only the text.
#pragma once

#include <string>

namespace pugi {
class xml_attribute;
}

namespace xandril {

class CAttribute {
public:
    static CAttribute* createAttribute();
    // Destroys the attribute (only for one not handed to an element).
    void release();

    CAttribute(const CAttribute&) = delete;
    CAttribute& operator=(const CAttribute&) = delete;

    bool getBool() const { return m_bool; }
    double getDouble() const { return m_double; }
    float getFloat() const { return m_float; }
    int getInt() const { return m_int; }
    unsigned int getUint() const { return m_uint; }
    const char* getString() const { return m_text.c_str(); }

    void setValue(bool value);          // "true" / "false"
    void setValue(double value);        // "%f"
    void setValue(float value);         // "%f" of the widened value
    void setValue(int value);           // "%d"
    void setValue(unsigned int value);  // "%d" too: 4294967295 reads "-1"
    void setValue(const char* text);    // text only; null counts as ""

    // The attribute's own name; independent of the key an element keeps
    // it under (parsing leaves it empty, writing ignores it).
    void setName(const char* name);
    const char* getName() const { return m_name.c_str(); }

protected:
    CAttribute() = default;
    virtual ~CAttribute() = default;

private:
    friend class CElement;
    // Fills text and every typed slot from an XML attribute.
    void parse(const pugi::xml_attribute& attribute);

    std::string m_text;
    bool m_bool = false;
    double m_double = 0.0;
    float m_float = 0.0f;
    int m_int = 0;
    unsigned int m_uint = 0;
    std::string m_name;
};

} // namespace xandril
