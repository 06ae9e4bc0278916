function(postwink_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8)
    if(POSTWINK_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    # GCC 12's optimiser reports std::string concatenation (-Wrestrict, GCC bug 105329) and
    # std::optional members (-Wmaybe-uninitialized) that are fine; with -Werror these false
    # alarms would fail the optimised MinGW build. The debug builds keep both warnings.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
      target_compile_options(${target} PRIVATE
        $<$<NOT:$<CONFIG:Debug>>:-Wno-restrict -Wno-maybe-uninitialized>)
    endif()
    if(POSTWINK_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
