# cmake -DBUILD=<build folder> -DPREFIX=<folder> -P install_fresh.cmake
# Installs the build into an emptied prefix, so every run starts from what `cmake --install`
# puts there and nothing else.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()
