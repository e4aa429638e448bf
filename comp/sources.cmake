# The plug-in is a shared library of its own (comp/CMakeLists.txt); nothing
# of it goes into the program's libraries.
