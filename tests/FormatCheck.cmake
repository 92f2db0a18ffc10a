# Every source of the project laid out as .clang-format says: clang-format --dry-run -Werror.
# Run by ctest as the test "format", with SOURCE_DIR the project's root.
find_program(CLANG_FORMAT clang-format REQUIRED)
file(GLOB_RECURSE sources ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/app/*.cpp
                          ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/bench/*.cpp
                          ${SOURCE_DIR}/bench/*.h ${SOURCE_DIR}/packaging/*.cpp)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run -Werror --style=file ${sources}
                WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Sources not laid out as .clang-format says: run clang-format -i on the files above.")
endif()
