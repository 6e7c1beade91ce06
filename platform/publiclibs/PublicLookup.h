// Code-name lookups of the public libraries: a container of entries, each with a code and a
// name, shown in combo boxes as "[code] name".
#pragma once

#include <QComboBox>
#include <QStringList>

#include <cstdint>
#include <string>

// One code and name; the name is cut at 127 bytes.
struct TCNameCodeInfo {
    char name[128] = {};
    std::int64_t code = 0;

    TCNameCodeInfo() = default;
    TCNameCodeInfo(std::int64_t code, const std::string& name);
    std::int64_t GetCode() const { return code; }
    std::string GetName() const { return name; }
};

class CBasicLookup {
public:
    static constexpr std::size_t kItemBytes = 128;

    virtual ~CBasicLookup() = default;
    // Appends each entry's item text; selects the first item when the combo box holds any.
    virtual void FillComboBox(QComboBox* comboBox) const;
    // Appends each entry's item text, selecting nothing.
    virtual void FillItems(QStringList& items) const;
    // Code of the first entry whose item text equals text (ignoring case), else text read as a
    // decimal number (its leading digits; 0 without any).
    virtual std::int64_t CodeOfItem(const std::string& text) const;
    // Code of the first entry whose name equals text (ignoring case), else as CodeOfItem.
    virtual std::int64_t CodeOfName(const std::string& text) const;
    // Item text of the first entry with that code, else the code in decimal. The text lives in
    // a buffer shared by all lookups that the next call overwrites: copy it at once.
    virtual const char* ItemOfCode(std::int64_t code) const;
    // Name of the first entry with that code, else empty; same buffer rule as ItemOfCode.
    virtual const char* NameOfCode(std::int64_t code) const;

    // "[code] name", cut at 127 bytes.
    static std::string ItemText(std::int64_t code, const std::string& name);

protected:
    virtual int EntryCount() const = 0;
    virtual std::int64_t EntryCode(int index) const = 0;
    virtual std::string EntryName(int index) const = 0;
};

// A lookup over any sequence container (std::vector, a record list) given how to read an
// entry's code and name.
template <class Container>
class CContainerLookup : public CBasicLookup {
public:
    using Entry = typename Container::value_type;
    using CodeOf = std::int64_t (*)(const Entry&);
    using NameOf = std::string (*)(const Entry&);

    CContainerLookup(Container entries, CodeOf codeOf, NameOf nameOf)
        : entries_(std::move(entries)), codeOf_(codeOf), nameOf_(nameOf)
    {}
    Container& Entries() { return entries_; }
    const Container& Entries() const { return entries_; }

protected:
    int EntryCount() const override { return static_cast<int>(entries_.size()); }
    std::int64_t EntryCode(int i) const override
    {
        return codeOf_(entries_[static_cast<std::size_t>(i)]);
    }
    std::string EntryName(int i) const override
    {
        return nameOf_(entries_[static_cast<std::size_t>(i)]);
    }

private:
    Container entries_;
    CodeOf codeOf_;
    NameOf nameOf_;
};
