// The steps of a restore as it goes, for /Verbose: printed to standard output, in UTF-8.
#pragma once
#include <string>

class Progress {
public:
    explicit Progress(bool on = false) : on_(on) {}
    bool On() const { return on_; }
    // line is UTF-8 text with code page 950 pieces already converted (see Utf8).
    void Say(const std::string& line) const;
    // A code page 950 string in UTF-8.
    static std::string Utf8(const std::string& ansi);

private:
    bool on_;
};
