# Writes one manual page from its source in this folder, then OUTPUT.gz
# (gzip -9n, as Debian wants: no file name, no time stamp inside).
#
#   cmake -DSOURCE=page.1 -DOUTPUT=build/page.1 -DVERSION=1.0
#         [-DLIST_PROGRAM=program] -P page.cmake
#
# @VERSION@ in the source becomes VERSION. With LIST_PROGRAM, the output of
# "LIST_PROGRAM --help" fills @COMMANDS@ and @OPTIONS@, one tagged paragraph
# per entry. Two layouts of that output are read:
#   - lines "NAMES<tab>ONE-LINE HELP" (arraycon's general help): commands;
#   - CLI11's help: the entries of its "Options:" and "Subcommands:"
#     sections, each a name in the first 30 columns and its help after them
#     (on the next line, indented, when the name is longer).
# Lines of text after the entries (the closing notes) follow the commands as
# paragraphs of their own.
cmake_minimum_required(VERSION 3.20)
foreach(required SOURCE OUTPUT VERSION)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "page.cmake: ${required} not given")
  endif()
endforeach()

# Text as troff reads it literally: backslashes escaped, and no line taken
# for a request.
function(troff_text text out)
  string(REPLACE "\\" "\\e" text "${text}")
  if(text MATCHES "^[.']")
    set(text "\\&${text}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(troff_entry name help out)
  troff_text("${name}" name)
  string(REPLACE "-" "\\-" name "${name}")
  troff_text("${help}" help)
  set(${out} "${${out}}.TP\n.B ${name}\n${help}\n" PARENT_SCOPE)
endfunction()

set(COMMANDS "")
set(OPTIONS "")
set(notes "")
if(LIST_PROGRAM)
  execute_process(COMMAND ${LIST_PROGRAM} --help OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "page.cmake: ${LIST_PROGRAM} --help failed: ${failed}")
  endif()
  string(REPLACE ";" "\\;" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(section "")
  set(entries 0)
  set(pending_name "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([^\t]+)\t(.*)$")
      troff_entry("${CMAKE_MATCH_1}" "${CMAKE_MATCH_2}" COMMANDS)
      math(EXPR entries "${entries} + 1")
    elseif(line MATCHES "^(Options|Subcommands):$")
      set(section ${CMAKE_MATCH_1})
    elseif(section AND line MATCHES "^  [^ ]")
      string(LENGTH "${line}" length)
      if(length GREATER 30)
        string(SUBSTRING "${line}" 0 30 name)
        string(SUBSTRING "${line}" 30 -1 help)
      else()
        set(name "${line}")
        set(help "")
      endif()
      string(STRIP "${name}" name)
      if(help STREQUAL "")
        set(pending_name "${name}")  # its help follows on the next line
      elseif(section STREQUAL "Options")
        troff_entry("${name}" "${help}" OPTIONS)
      else()
        troff_entry("${name}" "${help}" COMMANDS)
      endif()
      math(EXPR entries "${entries} + 1")
    elseif(pending_name AND line MATCHES "^ +([^ ].*)$")
      if(section STREQUAL "Options")
        troff_entry("${pending_name}" "${CMAKE_MATCH_1}" OPTIONS)
      else()
        troff_entry("${pending_name}" "${CMAKE_MATCH_1}" COMMANDS)
      endif()
      set(pending_name "")
    elseif(entries GREATER 0 AND line MATCHES "[^ ]")
      string(STRIP "${line}" line)
      troff_text("${line}" line)
      string(APPEND notes ".PP\n${line}\n")
      set(section "")
    endif()
  endforeach()
  if(COMMANDS STREQUAL "")
    message(FATAL_ERROR "page.cmake: no commands found in the output of ${LIST_PROGRAM} --help")
  endif()
  string(APPEND COMMANDS "${notes}")
  string(STRIP "${COMMANDS}" COMMANDS)
  string(STRIP "${OPTIONS}" OPTIONS)
endif()

configure_file(${SOURCE} ${OUTPUT} @ONLY)
execute_process(COMMAND gzip -9nfk ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "page.cmake: gzip ${OUTPUT} failed")
endif()
