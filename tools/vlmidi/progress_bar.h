#pragma once
// A two-line progress display on a terminal, fed with the library's progress reports:
// line 1 is the step caption with a bar and its percentage, line 2 the detail ("Track 3 of 12").

#include <cstdio>
#include <string>

#include "vlmidiin.h"

namespace vl::cli {

class ProgressBar {
public:
    ProgressBar(std::FILE* terminal, int columns);

    // Takes one report (line 1 step, line 2 detail; a null text keeps the previous text) and
    // redraws when what is shown changed.
    void show(const VlProgressReport& report);

    // Removes the two lines so that later output starts where the display was.
    void erase();

    // The two lines as they would be drawn now, each cut to the terminal width.
    std::string stepLine() const;
    std::string detailLine() const;

private:
    void redraw();

    std::FILE* terminal_;
    int columns_;
    std::string caption_;
    int stepPercent_ = 0;
    std::string detail_;
    int detailPercent_ = 0;
    std::string drawnStep_;
    std::string drawnDetail_;
    bool drawn_ = false;
};

// The width of the terminal behind `fd`, or 80 when it cannot be told.
int terminalColumns(int fd);

}  // namespace vl::cli
