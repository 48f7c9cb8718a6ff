# cmake -DROOT=<source folder> -P CheckIncludes.cmake
# Fails, naming each one, when an #include of the program, its tests,
# benchmarks or fuzzers reaches a header through "..": such a path gets
# around the include roots that keep each layer from seeing the layers above
# it (see src/CMakeLists.txt). A layer's headers are named "<layer>/<file>.h".
file(GLOB_RECURSE sources LIST_DIRECTORIES false
     ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp
     ${ROOT}/benchmarks/*.h ${ROOT}/benchmarks/*.cpp ${ROOT}/fuzz/*.h ${ROOT}/fuzz/*.cpp)
set(found "")
foreach(source IN LISTS sources)
    file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]*\\.\\.")
    foreach(line IN LISTS lines)
        file(RELATIVE_PATH name ${ROOT} ${source})
        string(STRIP "${line}" line)
        string(APPEND found "  ${name}: ${line}\n")
    endforeach()
endforeach()
if(found)
    message(FATAL_ERROR "These includes reach past their layer's include root through \"..\"; "
                        "name a header of a layer linked below as \"<layer>/<file>.h\":\n${found}")
endif()
message(STATUS "No #include goes through \"..\" (${ROOT})")
