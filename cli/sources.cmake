# brimvale-cli builds on brimvale_core alone: its sources form a library of
# their own (so tests can reach the parser and the list format) and the
# program adds main.cpp; cli/CMakeLists.txt makes the targets.
list(APPEND BV_CLI_SOURCES
  cli/CCliAction.cpp
  cli/CCliAction.h
  cli/CCliScan.cpp
  cli/CCliScan.h
  cli/CCompletionScripts.cpp
  cli/CCompletionScripts.h
  cli/CDryRunStep.cpp
  cli/CDryRunStep.h
  cli/CCommandLine.cpp
  cli/CCommandLine.h
  cli/CListFile.cpp
  cli/CJsonListWriter.cpp
  cli/CJsonListWriter.h
  cli/CListFile.h
  cli/COutput.cpp
  cli/COutput.h
  cli/CliStepFactory.cpp
  cli/CliOptions.cpp
  cli/CliOptions.h
  cli/CliStepFactory.h
  cli/CliText.cpp
  cli/CliText.h
  cli/CStopSignals.cpp
  cli/CStopSignals.h
)
