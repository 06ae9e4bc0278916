# The program's version text, from the project version and git: "1.0.0" for a build of the
# commit tagged v1.0.0, "1.0.0-dev+<commit>" for any other commit, and "1.0.0-dev" where there
# is no git to ask (a source archive). The text goes into one generated header, included only
# where it is shown, so that a new commit recompiles those few files and nothing else.
find_package(Git QUIET)
set(POSTWINK_VERSION_TEXT "${PROJECT_VERSION}-dev")
if(GIT_EXECUTABLE)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --exact-match
                    --match "v${PROJECT_VERSION}" HEAD
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE tagged OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --short=10 HEAD
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE failed
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(tagged EQUAL 0)
    set(POSTWINK_VERSION_TEXT "${PROJECT_VERSION}")
  elseif(failed EQUAL 0)
    set(POSTWINK_VERSION_TEXT "${PROJECT_VERSION}-dev+${commit}")
  endif()
  # A commit, a checkout or a new tag moves HEAD's reflog: configure again to pick it up.
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --path-format=absolute
                    --git-path logs/HEAD --git-path HEAD --git-path packed-refs
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE failed
    OUTPUT_VARIABLE git_files OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(failed EQUAL 0)
    string(REPLACE "\n" ";" git_files "${git_files}")
    foreach(file IN LISTS git_files)
      if(EXISTS "${file}")
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
      endif()
    endforeach()
  endif()
endif()
message(STATUS "Postwink version ${POSTWINK_VERSION_TEXT}")

# The version resource wants four numbers.
set(POSTWINK_VERSION_COMMAS "")
foreach(part MAJOR MINOR PATCH TWEAK)
  set(number "${PROJECT_VERSION_${part}}")
  if(number STREQUAL "")
    set(number 0)
  endif()
  list(APPEND POSTWINK_VERSION_COMMAS ${number})
endforeach()
list(JOIN POSTWINK_VERSION_COMMAS "," POSTWINK_VERSION_COMMAS)
configure_file(${CMAKE_CURRENT_LIST_DIR}/postwink_version.h.in
  ${PROJECT_BINARY_DIR}/generated/postwink_version.h @ONLY)
# The packaging script names the zip after this.
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/version.txt CONTENT "${POSTWINK_VERSION_TEXT}\n")
add_library(postwink_version INTERFACE)
target_include_directories(postwink_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
