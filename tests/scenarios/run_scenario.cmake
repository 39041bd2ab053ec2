# Runs one scenario: its sessions one after another in a fresh program
# folder (each session a new start of the notebook under quillkeep-sim),
# then the checks on the files left there.
#   cmake -DCONFIG=<scenario settings> -P run_scenario.cmake
# The settings file (written by qk_scenario) sets SIM, QKDB, EMULATOR,
# SCRIPTS_DIR, RUN_DIR, SESSIONS, FAULT_SESSIONS, FILES, PREPARE, STATUS,
# ERROR (text the last session writes on standard error), PROGRAM (the
# program the sessions run, empty for the notebook), CONTAINS,
# QKDB_CHECKS.
cmake_minimum_required(VERSION 3.25)
include(${CONFIG})

set(folder ${RUN_DIR}/folder)
file(REMOVE_RECURSE ${RUN_DIR})
file(MAKE_DIRECTORY ${folder})

# qkdb ARGS... with INPUT on standard input; sets rc, out and err. qkdb says
# why on standard error whenever it fails, so a failure that printed nothing
# at all was the emulator failing to start the process (seen once in a few
# hundred runs under Wine with the machine loaded): it is tried once more,
# and the test says so.
function(run_qkdb input)
  foreach(attempt 1 2)
    execute_process(COMMAND ${EMULATOR} ${QKDB} ${ARGN} INPUT_FILE ${input}
                    RESULT_VARIABLE code OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
    if(code STREQUAL "0" OR NOT EMULATOR OR NOT "${stdout}${stderr}" STREQUAL "")
      break()
    endif()
    list(JOIN ARGN " " shown)
    message(STATUS "qkdb ${shown}: exit ${code} with no output under ${EMULATOR}; running it again")
  endforeach()
  set(rc "${code}" PARENT_SCOPE)
  set(out "${stdout}" PARENT_SCOPE)
  set(err "${stderr}" PARENT_SCOPE)
endfunction()

# FILES: "SOURCE>NAME": a prepared file copied into the folder as NAME.
foreach(entry IN LISTS FILES)
  string(REPLACE ">" ";" parts "${entry}")
  list(GET parts 0 source)
  list(GET parts 1 name)
  file(READ ${SCRIPTS_DIR}/${source} content)
  file(WRITE ${folder}/${name} "${content}")
endforeach()

# PREPARE: "INPUT|ARGS": qkdb run with ARGS (separated by spaces; "@" stands
# for the folder) and INPUT on its standard input ("\n" ends a line).
foreach(entry IN LISTS PREPARE)
  string(FIND "${entry}" "|" bar)
  string(SUBSTRING "${entry}" 0 ${bar} input)
  math(EXPR start "${bar} + 1")
  string(SUBSTRING "${entry}" ${start} -1 args)
  string(REPLACE "\\n" "\n" input "${input}")
  string(REPLACE "@" "${folder}" args "${args}")
  separate_arguments(args UNIX_COMMAND "${args}")
  file(WRITE ${RUN_DIR}/prepare.txt "${input}")
  run_qkdb(${RUN_DIR}/prepare.txt ${args})
  if(NOT rc STREQUAL "0")
    message(FATAL_ERROR "preparing with qkdb ${args}: exit ${rc}:\n${out}${err}")
  endif()
endforeach()

# Every session ends with status 0, the last one with STATUS when given.
if(NOT DEFINED STATUS OR STATUS STREQUAL "")
  set(STATUS 0)
endif()
list(LENGTH SESSIONS session_count)
set(session_number 0)
set(failures "")
foreach(session IN LISTS SESSIONS)
  math(EXPR session_number "${session_number} + 1")
  set(want 0)
  if(session_number EQUAL session_count)
    set(want ${STATUS})
  endif()
  set(options --transcript)
  if(NOT PROGRAM STREQUAL "")
    list(APPEND options --program ${PROGRAM})
  endif()
  if(session IN_LIST FAULT_SESSIONS)
    list(APPEND options --refuse-password-change)
  endif()
  execute_process(
    COMMAND ${EMULATOR} ${SIM} ${options} --folder ${folder} ${SCRIPTS_DIR}/${session}.qks
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(WRITE ${RUN_DIR}/${session}.transcript "${out}")
  if(NOT rc STREQUAL "${want}")
    message(FATAL_ERROR "session ${session}: exit status ${rc} (want ${want})\n${err}\n--- what the person saw ---\n${out}")
  endif()
  if(session_number EQUAL session_count AND NOT ERROR STREQUAL "")
    string(FIND "${err}" "${ERROR}" at)
    if(at EQUAL -1)
      string(APPEND failures "session ${session} said \"${err}\" on standard error, not \"${ERROR}\"\n")
    endif()
  endif()
endforeach()

# CONTAINS: "NAME|TEXT": the file in the folder holds TEXT.
foreach(entry IN LISTS CONTAINS)
  string(FIND "${entry}" "|" bar)
  string(SUBSTRING "${entry}" 0 ${bar} name)
  math(EXPR start "${bar} + 1")
  string(SUBSTRING "${entry}" ${start} -1 text)
  if(NOT EXISTS ${folder}/${name})
    string(APPEND failures "no file ${name}\n")
    continue()
  endif()
  file(READ ${folder}/${name} content)
  string(FIND "${content}" "${text}" at)
  if(at EQUAL -1)
    string(APPEND failures "${name} lacks \"${text}\":\n${content}\n")
  endif()
endforeach()

# QKDB_CHECKS: "NAME|PASSWORD|COMMAND|TEXT": qkdb COMMAND on the file, opened
# with the notebook password; its output holds TEXT. A TEXT of "!" means the
# password must not open the file.
foreach(entry IN LISTS QKDB_CHECKS)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 password)
  list(GET parts 2 command)
  list(SUBLIST parts 3 -1 rest)
  string(REPLACE ";" "|" text "${rest}")
  file(WRITE ${RUN_DIR}/password.txt "${password}\n")
  run_qkdb(${RUN_DIR}/password.txt --password-stdin ${command} ${folder}/${name})
  if(text STREQUAL "!")
    if(rc STREQUAL "0")
      string(APPEND failures "qkdb ${command} ${name} opened the file with \"${password}\"\n")
    endif()
  elseif(NOT rc STREQUAL "0")
    string(APPEND failures "qkdb ${command} ${name} with \"${password}\": exit ${rc}:\n${out}${err}\n")
  else()
    string(FIND "${out}" "${text}" at)
    if(at EQUAL -1)
      string(APPEND failures "qkdb ${command} ${name} lacks ${text}:\n${out}\n")
    endif()
  endif()
endforeach()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
