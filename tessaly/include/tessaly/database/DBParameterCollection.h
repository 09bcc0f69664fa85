#pragma once

namespace tessaly::database {

class DBParameter;

// The parameters of a prepared command. Owned by the command.
class DBParameterCollection {
public:
    DBParameterCollection() = default;

    virtual int count() = 0;
    // Null when index is out of range.
    virtual DBParameter* get(int index) = 0;
    // Null when there is no parameter of that name.
    virtual DBParameter* find(const char* name) = 0;
    // -1 when there is no parameter of that name.
    virtual int indexOf(const char* name) = 0;
    // Declares a parameter for back ends whose commands do not declare their
    // own; back ends that take them from the command text return the existing
    // one of that name, or null.
    virtual DBParameter* add(const char* name) = 0;
    // Unbinds every parameter.
    virtual void clearValues() = 0;
    // Binds values in order from a zero-terminated text array (null entries
    // bind null); returns how many were bound.
    virtual int bindAll(const char* const* values, int count) = 0;

protected:
    ~DBParameterCollection() = default;
};

} // namespace tessaly::database
