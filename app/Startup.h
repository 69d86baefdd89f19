#pragma once
// The program body: reads the command line, checks that there is a display,
// creates the application, then the main window, then the About box, and runs
// the message loop. With --render it writes the chart as a picture instead,
// off-screen, without a display.
#include <QSize>
#include <QString>
#include <QStringList>

// What the command line asks for.
struct TCommandLine {
  enum TAction { caRun, caHelp, caRender, caError };
  TAction Action = caRun;
  QString Error;    // caError: what is wrong, in words for the user
  QString FileName; // caRender: the picture file to write (.png, .svg or .pdf)
  QString CsvFileName; // caRender: the samples table to write (--csv)
  QString Experiment;  // --experiment: the --csv file holds this experiment's transient
  bool Resonance = false; // --resonance: the --csv file holds the resonance curve
  bool Exact = false;  // --exact: the chart's curve is the exact normalised response
  // Scroll-bar positions in hundredths of Ohm, nF and uH (the start-up values by default).
  int PositionR = 470;
  int PositionC = 220;
  int PositionL = 1000;
  QSize Size; // the picture's size; empty: the chart's designed size
  int Scale = 1; // device pixels per logical pixel of the picture (1 ... MaxRenderScale)
};

constexpr int MaxRenderScale = 8;

// Reads the arguments after the program name. Kalvora's own actions (--help,
// --render) count only as the first argument and exactly so spelt; any other
// command line is left to the host link, untouched, and the window opens.
TCommandLine ParseCommandLine(const QStringList& arguments);

// The text --help prints.
QString CommandLineHelp();

int RunKalvora(int argc, char** argv);
