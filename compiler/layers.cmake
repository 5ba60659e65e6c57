# The compiler's layers, lowest first. A file may include headers of its own layer and of
# the layers below it, never of a layer above; only driver/ includes every layer.
#   base        state, output writer, error reporting, labels, symbols, text formatting
#   frontend    source reading, tokens, constants, declarations
#   codegen     expressions, operands, assignments, control flow
#   statements  statement areas (statements/<area>/), their "$" settings
#   library     library routine text (library/<area>/)
#   driver      driver, statement loop, dispatch table, link order, link step
#
# Run as a script it checks the includes of every file under ROOT/compiler:
#   cmake -DROOT=<source dir> -P compiler/layers.cmake
set(QBC_COMPILER_LAYERS base frontend codegen statements library driver)

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25)
  if(NOT ROOT)
    message(FATAL_ERROR "usage: cmake -DROOT=<source dir> -P compiler/layers.cmake")
  endif()
  set(faults "")
  file(GLOB entries LIST_DIRECTORIES true RELATIVE ${ROOT}/compiler ${ROOT}/compiler/*)
  foreach(entry ${entries})
    if(IS_DIRECTORY ${ROOT}/compiler/${entry} AND NOT entry IN_LIST QBC_COMPILER_LAYERS)
      string(APPEND faults "compiler/${entry}: a folder that is no layer (add it to the list in compiler/layers.cmake)\n")
    endif()
  endforeach()
  foreach(layer ${QBC_COMPILER_LAYERS})
    list(FIND QBC_COMPILER_LAYERS ${layer} own)
    file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/compiler/${layer}/*)
    foreach(f ${files})
      file(STRINGS ${ROOT}/${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"compiler/[a-z_]+/")
      foreach(line ${includes})
        string(REGEX MATCH "\"compiler/([a-z_]+)/" _ "${line}")
        list(FIND QBC_COMPILER_LAYERS ${CMAKE_MATCH_1} target)
        if(target GREATER own)
          string(STRIP "${line}" line)
          string(APPEND faults "${f}: ${line} runs up from ${layer} to ${CMAKE_MATCH_1}\n")
        endif()
      endforeach()
    endforeach()
  endforeach()
  if(faults)
    message("${faults}")
    message(FATAL_ERROR "Includes against the layer order ${QBC_COMPILER_LAYERS}, listed above")
  endif()
endif()
