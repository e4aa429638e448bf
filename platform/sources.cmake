# Files of this area: widget-free code goes to BV_CORE_SOURCES, widgets to BV_UI_SOURCES.
list(APPEND BV_CORE_SOURCES
  platform/CDirectoryWalker.h platform/CDirectoryWalker.cpp
  platform/CMountInfo.h platform/CMountInfo.cpp
  platform/CDiskSpace.h platform/CDiskSpace.cpp
  platform/CFixedDrives.h platform/CFixedDrives.cpp
  platform/FileOpResult.h platform/FileOpResult.cpp
  platform/CVerifiedEntry.h platform/CVerifiedEntry.cpp
  platform/CFileDeleter.h platform/CFileDeleter.cpp
)
list(APPEND BV_UI_SOURCES
)
