// The plotter's help list: one line of the HELPLIST dialog a text.
#ifndef QUIL_PLOT_WIN_PLOTHELP_H
#define QUIL_PLOT_WIN_PLOTHELP_H

enum { PLOT_HELP_LINES = 122 };
extern const char* const PlotHelpText[PLOT_HELP_LINES];

#endif
