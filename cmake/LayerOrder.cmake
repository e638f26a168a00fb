# The layers of the code and what each may include, checked over every source file:
#
#   platform <- core <- { mpegdec, lame_enc } <- jobs <- cdrom
#   platform <- core <- verify <- cdrom
#   platform <- core <- freedb
#   { cdrom, freedb, verify } <- session <- ui <- app
#
# app holds the two executables: the command line never includes ui, the desktop program's main does.
# app stands on session alone: every flow a command runs is a session function the desktop
# program could call too, so app reaches nothing below session but core and platform.
#
# The conversion steps in jobs stand on the codecs: lame_enc (MP3 encoding) and mpegdec (MP3
# decoding), neither of which includes anything above core.
#
# A file of a layer may include its own layer and the layers it stands on, nothing
# above. Run at configure time and as a test (cmake -DSOURCE_DIR=... -P LayerOrder.cmake).
cmake_policy(SET CMP0057 NEW)  # if(IN_LIST), also in script mode
set(LAYER_ALLOWED_platform platform)
set(LAYER_ALLOWED_core core platform)
set(LAYER_ALLOWED_lame_enc lame_enc core platform)
set(LAYER_ALLOWED_jobs jobs mpegdec lame_enc core platform)
set(LAYER_ALLOWED_cdrom cdrom verify jobs mpegdec lame_enc core platform)
set(LAYER_ALLOWED_mpegdec mpegdec core platform)
set(LAYER_ALLOWED_freedb freedb core platform)
set(LAYER_ALLOWED_verify verify core platform)
set(LAYER_ALLOWED_session session cdrom jobs mpegdec lame_enc freedb verify core platform)
set(LAYER_ALLOWED_app app ui session core platform)
set(LAYER_ALLOWED_ui ui session cdrom jobs mpegdec lame_enc freedb verify core platform)

set(SONVAREK_LAYERS platform core lame_enc jobs cdrom mpegdec freedb verify session app ui)

# The layer a file includes, whatever the spelling: quotes or angle brackets, blanks
# around the '#', and paths relative to the including file ("../cdrom/x.h") or to src/
# ("cdrom/x.h"). Empty for headers outside src/ (the system's, the libraries').
function(sonvarek_included_layer source_dir file target out)
  get_filename_component(folder "${file}" DIRECTORY)
  set(candidates "")
  if(target MATCHES "^\\.")
    list(APPEND candidates "${folder}/${target}")
  elseif(NOT target MATCHES "/")
    list(APPEND candidates "${folder}/${target}")
  else()
    list(APPEND candidates "${folder}/${target}" "${source_dir}/src/${target}")
  endif()
  set(layer "")
  foreach(candidate IN LISTS candidates)
    get_filename_component(resolved "${candidate}" ABSOLUTE)
    file(RELATIVE_PATH inside "${source_dir}/src" "${resolved}")
    string(REGEX MATCH "^([a-z_]+)/" _ "${inside}")
    if(CMAKE_MATCH_1 IN_LIST SONVAREK_LAYERS AND (EXISTS "${resolved}" OR candidate STREQUAL "${source_dir}/src/${target}"))
      set(layer "${CMAKE_MATCH_1}")
      break()
    endif()
  endforeach()
  set(${out} "${layer}" PARENT_SCOPE)
endfunction()

function(sonvarek_check_layers source_dir)
  set(violations "")
  foreach(layer IN LISTS SONVAREK_LAYERS)
    file(GLOB_RECURSE files "${source_dir}/src/${layer}/*.h" "${source_dir}/src/${layer}/*.hpp"
                            "${source_dir}/src/${layer}/*.cpp" "${source_dir}/src/${layer}/*.cc"
                            "${source_dir}/src/${layer}/*.c" "${source_dir}/src/${layer}/*.inc")
    foreach(file IN LISTS files)
      file(STRINGS "${file}" includes REGEX "^[ \t]*#[ \t]*include")
      foreach(line IN LISTS includes)
        if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
          # A computed include names no file we could check: refuse it rather than pass it.
          set(included "?")
        else()
          sonvarek_included_layer("${source_dir}" "${file}" "${CMAKE_MATCH_1}" included)
        endif()
        if(included STREQUAL "" OR included IN_LIST LAYER_ALLOWED_${layer})
          continue()
        endif()
        file(RELATIVE_PATH shown "${source_dir}" "${file}")
        list(APPEND violations "${shown}: ${line}")
      endforeach()
    endforeach()
  endforeach()
  if(violations)
    list(JOIN violations "\n  " listed)
    message(FATAL_ERROR "Includes against the layer order:\n  ${listed}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  sonvarek_check_layers("${SOURCE_DIR}")
endif()
