# The layer check refuses an include of a higher layer however it is spelt, and lets
# through the spellings of allowed includes. Run as: cmake -DCHECK=<LayerOrder.cmake>
# -DWORK_DIR=<scratch folder> -P layer_order_spellings.cmake
set(refused
  "#include \"cdrom/track_reader.h\""
  "#include <cdrom/track_reader.h>"
  "#  include \"cdrom/track_reader.h\""
  "  #include \"cdrom/track_reader.h\""
  "#include\t<cdrom/track_reader.h>"
  "#include \"../cdrom/track_reader.h\""
  "#include \"./../cdrom/track_reader.h\""
  "#include \"../../src/cdrom/track_reader.h\""
  "#include \"../jobs/../cdrom/track_reader.h\""
  "#include TRACK_READER_HEADER")
set(allowed
  "#include \"jobs/wav_file.h\""
  "#include <core/records.h>"
  "#include \"wav_file.h\""
  "#include \"../core/records.h\""
  "#include <vector>"
  "#include <vorbis/codec.h>")

function(run_check source expect_refusal)
  set(tree "${WORK_DIR}/layer-order-tree")
  file(REMOVE_RECURSE "${tree}")
  file(WRITE "${tree}/src/cdrom/track_reader.h" "#pragma once\n")
  file(WRITE "${tree}/src/core/records.h" "#pragma once\n")
  file(WRITE "${tree}/src/jobs/wav_file.h" "#pragma once\n")
  file(WRITE "${tree}/src/jobs/probe.cpp" "${source}\n")
  execute_process(COMMAND "${CMAKE_COMMAND}" -DSOURCE_DIR=${tree} -P "${CHECK}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(expect_refusal AND (result EQUAL 0 OR NOT err MATCHES "src/jobs/probe.cpp"))
    message(SEND_ERROR "not refused: ${source}")
  elseif(NOT expect_refusal AND NOT result EQUAL 0)
    message(SEND_ERROR "refused: ${source}\n${err}")
  endif()
endfunction()

foreach(line IN LISTS refused)
  run_check("${line}" TRUE)
endforeach()
foreach(line IN LISTS allowed)
  run_check("${line}" FALSE)
endforeach()
