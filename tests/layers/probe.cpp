// One include, compiled with the include folders of the library under test: see CMakeLists.txt.
#include QOR_PROBE_HEADER
