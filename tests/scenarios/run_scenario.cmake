# Runs one scenario: its sessions one after another in a fresh program
# folder (each session a new start of the notebook under quillkeep-sim),
# then the checks on the files left there.
#   cmake -DCONFIG=<scenario settings> -P run_scenario.cmake
# The settings file (written by qk_scenario) sets SIM, QKDB, EMULATOR,
# SCRIPTS_DIR, RUN_DIR, SESSIONS, FAULT_SESSIONS, FILES, CONTAINS, QKDB_CHECKS.
cmake_minimum_required(VERSION 3.25)
include(${CONFIG})

set(folder ${RUN_DIR}/folder)
file(REMOVE_RECURSE ${RUN_DIR})
file(MAKE_DIRECTORY ${folder})

# FILES: "SOURCE>NAME": a prepared file copied into the folder as NAME.
foreach(entry IN LISTS FILES)
  string(REPLACE ">" ";" parts "${entry}")
  list(GET parts 0 source)
  list(GET parts 1 name)
  file(READ ${SCRIPTS_DIR}/${source} content)
  file(WRITE ${folder}/${name} "${content}")
endforeach()

set(failures "")
foreach(session IN LISTS SESSIONS)
  set(options --transcript)
  if(session IN_LIST FAULT_SESSIONS)
    list(APPEND options --refuse-password-change)
  endif()
  execute_process(
    COMMAND ${EMULATOR} ${SIM} ${options} --folder ${folder} ${SCRIPTS_DIR}/${session}.qks
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(WRITE ${RUN_DIR}/${session}.transcript "${out}")
  if(NOT rc STREQUAL "0")
    message(FATAL_ERROR "session ${session}: exit status ${rc}\n${err}\n--- what the person saw ---\n${out}")
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
  execute_process(
    COMMAND ${EMULATOR} ${QKDB} --password-stdin ${command} ${folder}/${name}
    INPUT_FILE ${RUN_DIR}/password.txt
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(text STREQUAL "!")
    if(rc STREQUAL "0")
      string(APPEND failures "qkdb ${command} ${name} opened the file with \"${password}\"\n")
    endif()
  elseif(NOT rc STREQUAL "0")
    string(APPEND failures "qkdb ${command} ${name} with \"${password}\": exit ${rc}: ${err}\n")
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
