# The layer check over a small tree of its own: the tree as its table allows
# must pass, and each kind of fault planted in it must fail, named. Run by
# ctest:
#   cmake -DCHECK=check_layers.cmake -DWORK=<scratch folder> -P check_layers_faults.cmake
cmake_minimum_required(VERSION 3.25)
string(CONCAT table "| folder | holds | may use |\n|---|---|---|\n"
       "| `src/low/` | the bottom; no Qt | — |\n"
       "| `src/side/` | a program's extra | `low` |\n"
       "| `src/high/` | the top | `low`; in `main.cpp` also `side` |\n")

function(plant_tree)
  file(REMOVE_RECURSE ${WORK})
  file(WRITE ${WORK}/README.md "# Tree\n\n## Layout\n\n${table}\n## After\n\n| `x/` | y | `z` |\n")
  file(WRITE ${WORK}/src/low/A.h "#pragma once\n#include \"B.h\"\n#include <vector>\n")
  file(WRITE ${WORK}/src/low/B.h "#pragma once\n")
  file(WRITE ${WORK}/src/side/S.h "#include \"low/A.h\"\n")
  file(WRITE ${WORK}/src/high/H.cpp "#include \"low/A.h\"\n  #  include \"high/H.cpp\"\n#include \"H.moc\"\n")
  file(WRITE ${WORK}/src/high/main.cpp "#include \"side/S.h\"\n")
endfunction()

function(expect what fault)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${CHECK}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(fault STREQUAL "")
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "${what}: refused\n${out}")
    endif()
  elseif(rc EQUAL 0)
    message(FATAL_ERROR "${what}: passed\n${out}")
  else()
    string(FIND "${out}" "${fault}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${what}: failed without saying \"${fault}\"\n${out}")
    endif()
  endif()
endfunction()

plant_tree()
expect("the tree as its table allows" "")

plant_tree()
file(APPEND ${WORK}/src/low/B.h "#include \"high/H.h\"\n")
expect("an upward include"
       "src/low/B.h: #include \"high/H.h\": `low` may not use `high` (README.md: `low` may use nothing)")

plant_tree()
file(WRITE ${WORK}/src/high/Other.cpp "#include \"side/S.h\"\n")
expect("what main.cpp alone may use, elsewhere in its folder"
       "src/high/Other.cpp: #include \"side/S.h\": `high` may not use `side`")

plant_tree()
file(WRITE ${WORK}/src/high/Other.cpp "#include \"A.h\"\n")
expect("another folder's file without its folder"
       "src/high/Other.cpp: #include \"A.h\" names no file beside it")

plant_tree()
file(WRITE ${WORK}/src/high/Other.cpp "#include \"ui/TForm1.h\"\n")
expect("a folder the table does not know" "`ui` is not a folder of README.md's layout table")

plant_tree()
file(WRITE ${WORK}/src/extra/E.h "#pragma once\n")
expect("a folder left out of the table" "src/extra/E.h: its folder is not in README.md's layout table")

string(REPLACE "| the bottom; no Qt | — |" "| the bottom; no Qt | `high` |" table "${table}")
plant_tree()
expect("a table row using a folder below it"
       "README.md: `low` may use `high`, which is not a folder listed above it")

file(REMOVE_RECURSE ${WORK})
