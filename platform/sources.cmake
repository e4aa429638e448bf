# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  platform/CDirectoryWalker.cpp
  platform/CDirectoryWalker.h
  platform/CDiskSpace.cpp
  platform/CDiskSpace.h
  platform/CFileDeleter.cpp
  platform/CFileDeleter.h
  platform/CFileMover.cpp
  platform/CFileMover.h
  platform/CreatePath.cpp
  platform/CreatePath.h
  platform/CFixedDrives.cpp
  platform/CFolderLister.cpp
  platform/CFolderLister.h
  platform/CFixedDrives.h
  platform/CFolderChain.cpp
  platform/CFolderChain.h
  platform/CMountInfo.cpp
  platform/CMountInfo.h
  platform/CSetAsideEntry.cpp
  platform/CSetAsideEntry.h
  platform/CTime.cpp
  platform/CTime.h
  platform/CVerifiedEntry.cpp
  platform/CVerifiedEntry.h
  platform/FileIdentity.cpp
  platform/FileIdentity.h
  platform/FileOpResult.cpp
  platform/FileOpResult.h
  platform/WalkRecord.h
)
list(APPEND BV_UI_SOURCES
)
