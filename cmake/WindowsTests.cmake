# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Tests of a Windows build. Cross-compiled, they run through CMAKE_CROSSCOMPILING_EMULATOR
# (Wine); the label `windows` gathers the ones that run there.

# Wine makes its prefix on first use, which takes a while and must not happen in several
# tests at once: one set-up test makes it before the others start.
if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
  if(VIVREL_WINE_HOME)
    file(MAKE_DIRECTORY ${VIVREL_WINE_HOME})
  endif()
  # Wine marks Unix names with a leading dot hidden, which Windows does not do. And a
  # test finds its data by the source tree's Unix path ("/work/..."), which Windows reads
  # as a folder of drive C: there the prefix's C: gets a link to that top folder.
  string(REGEX MATCH "^/[^/]+" vivrel_source_top "${PROJECT_SOURCE_DIR}")
  add_test(NAME wine_prefix
    COMMAND sh ${PROJECT_SOURCE_DIR}/cmake/wine-prefix.sh ${PROJECT_BINARY_DIR}/wineprefix
            ${VIVREL_WINE_HOME} ${vivrel_source_top} ${CMAKE_CROSSCOMPILING_EMULATOR})
  set_tests_properties(wine_prefix PROPERTIES
    FIXTURES_SETUP wine_prefix LABELS windows TIMEOUT 300)
endif()

# Puts the test `name` in the label `windows`, after the Wine prefix is made.
function(vivrel_windows_test name)
  get_test_property(${name} LABELS labels)
  if(NOT labels)
    set(labels "")
  endif()
  list(APPEND labels windows)
  set_tests_properties(${name} PROPERTIES LABELS "${labels}")
  if(CMAKE_CROSSCOMPILING AND CMAKE_CROSSCOMPILING_EMULATOR)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
    if(VIVREL_WINE_HOME)
      # Where the recycle bin lands under Wine, for the tests that look into it.
      set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
        "VIVREL_WINE_TRASH=Z:${VIVREL_WINE_HOME}/.local/share/Trash")
    endif()
  endif()
endfunction()
