#pragma once

// Public names of the windows that look like plain fields but hold nothing themselves: they
// read the document each time, and a writable one writes it through an undo step of its
// owner. So `room->music = x` is an edit like any other, and `room->music` always shows
// what the map holds.

// Read only: `Read` is a const method of the owner that returns the value.
template <typename Owner, typename T, T (Owner::*Read)() const>
class DocumentReading {
public:
    explicit DocumentReading(const Owner* owner)
        : owner(owner)
    {
    }
    DocumentReading(const DocumentReading&) = delete;
    DocumentReading& operator=(const DocumentReading&) = delete;

    T value() const { return (owner->*Read)(); }
    operator T() const { return value(); }

    friend bool operator==(const DocumentReading& a, const T& b) { return a.value() == b; }

private:
    const Owner* owner;
};

// Read and written: `Write` is a method of the owner that makes the change.
template <typename Owner, typename T, T (Owner::*Read)() const, void (Owner::*Write)(const T&)>
class DocumentValue {
public:
    explicit DocumentValue(Owner* owner)
        : owner(owner)
    {
    }
    DocumentValue(const DocumentValue&) = delete;

    DocumentValue& operator=(const T& value)
    {
        (owner->*Write)(value);
        return *this;
    }
    DocumentValue& operator=(const DocumentValue& other) { return *this = other.value(); }

    T value() const { return (owner->*Read)(); }
    operator T() const { return value(); }

    friend bool operator==(const DocumentValue& a, const T& b) { return a.value() == b; }

private:
    Owner* owner;
};
