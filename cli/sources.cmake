# brimvale-cli builds on brimvale_core alone: its sources form a library of
# their own (so tests can reach the parser and the list format) and the
# program adds main.cpp; cli/CMakeLists.txt makes the targets.
list(APPEND BV_CLI_SOURCES
  cli/CCliAction.cpp
  cli/CCliAction.h
  cli/CCliScan.cpp
  cli/CCliScan.h
  cli/CDryRunStep.cpp
  cli/CDryRunStep.h
  cli/CCommandLine.cpp
  cli/CCommandLine.h
  cli/CListFile.cpp
  cli/CListFile.h
  cli/COutput.cpp
  cli/COutput.h
  cli/CliStepFactory.cpp
  cli/CliStepFactory.h
  cli/CliText.cpp
  cli/CliText.h
  cli/CStopSignals.cpp
  cli/CStopSignals.h
)
