# One ctest entry per GoogleTest suite: a Wine start per suite is cheap enough, and a hung
# suite (a modal box nobody answers) fails on its own timeout without taking the rest along.
function(quillora_add_suites target)
  set(suites)
  foreach(src ${ARGN})
    file(STRINGS "${src}" lines REGEX "^[ \t]*TEST(_F|_P)?\\([A-Za-z0-9_]+,")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*TEST(_F|_P)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
      list(APPEND suites ${suite})
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES suites)
  foreach(suite ${suites})
    add_test(NAME ${target}.${suite} COMMAND ${target} --gtest_filter=${suite}.*:*/${suite}.*)
    set_tests_properties(${target}.${suite} PROPERTIES TIMEOUT 240)
    # One clipboard for the whole Wine server: suites that use it take turns.
    if(suite MATCHES "Clipboard|Paste|Capture|PrintScreen|EndToEnd")
      set_tests_properties(${target}.${suite} PROPERTIES RESOURCE_LOCK clipboard)
    endif()
    # Suites that check where the keyboard focus is take turns with each other: under a window
    # manager, the window another suite shows takes the activation, and the focus with it.
    if(suite MATCHES "Palette|Pointer|Print|Paste|Save")
      set_property(TEST ${target}.${suite} APPEND PROPERTY RESOURCE_LOCK focus)
    endif()
    # Suites that read the screen's pixels, or need the keyboard focus, must have it to themselves.
    # So do the tests of the shipped program, which use the real keyboard and pointer.
    if(suite MATCHES "Caret|AnnotTextPoint|EndToEnd|Keys|LayoutScreen|PaletteHints|PaletteGrid$" OR
       target STREQUAL "quillora_program_tests")
      set_tests_properties(${target}.${suite} PROPERTIES RUN_SERIAL TRUE)
    endif()
  endforeach()
endfunction()
