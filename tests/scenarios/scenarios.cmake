# The scenario suite: every flow a user of the notebook has.
set(CREATE setup/create_secret)
set(FIVE setup/create_secret setup/five_records)
set(LAYOUT
  [==[user.vdb|secret|info|"recordSize":2576,"dataStart":620,"auxiliary":false]==]
  [==[user.vdb|secret|info|{"name":"id","type":3,"size":4},{"name":"WebName","type":10,"size":512},{"name":"WebUrl","type":10,"size":512},{"name":"UserName","type":10,"size":512},{"name":"PassWord","type":10,"size":512},{"name":"Remarks","type":10,"size":512},{"name":"Time","type":8,"size":8}]==])

# First runs.
qk_scenario(first_run_with_password
  SESSIONS first_run_password restart_secret
  CONTAINS "user.ini|[user]" "user.ini|database=user.vdb" "user.ini|name=user"
  QKDB ${LAYOUT} [==[user.vdb|secret|info|"magic":"QCDB"]==] [==[user.vdb|secret|info|"records":0]==]
       "user.vdb|Secret|info|!" "user.vdb||info|!")
qk_scenario(first_run_without_password
  SESSIONS first_run_empty_password restart_empty_password restart_blank_password
  # The file is enciphered under the empty password's key, which qkdb derives
  # from an empty line as the notebook does.
  QKDB [==[user.vdb||info|"magic":"QCDB"]==] "user.vdb|secret|info|!")
qk_scenario(first_run_window_closed SESSIONS first_run_window_closed first_run_again restart_secret)
qk_scenario(create_failed SESSIONS create_failed FILES "files/database_in_a_file.ini>user.ini")

# Unlocking at start-up.
qk_scenario(unlock_third_try SESSIONS ${CREATE} unlock_third_try unlock_with_blanks)
qk_scenario(unlock_cancel SESSIONS ${CREATE} unlock_cancel)
qk_scenario(unlock_three_wrong SESSIONS ${CREATE} unlock_three_wrong restart_secret)

# Records.
qk_scenario(add_records SESSIONS ${CREATE} add_record_checks
  QKDB [==[user.vdb|secret|dump|"record":1,"serial":1,"deleted":false,"fields":{"id":11,]==]
       [==[user.vdb|secret|dump|"UserName":"alice","PassWord":"pw","Remarks":]==]
       [==[user.vdb|secret|dump|"record":2,"serial":2,"deleted":false,"fields":{"id":12,"WebName":"","WebUrl":"","UserName":" ","PassWord":"  ","Remarks":"","Time":"2024-05-06 07:08:10"}]==])
qk_scenario(modify_record SESSIONS ${FIVE} modify_record
  QKDB [==[user.vdb|secret|dump|{"id":15,"WebName":"网站五（新）","WebUrl":"https://five.example","UserName":"erin","PassWord":"new-pw5","Remarks":"","Time":"2024-03-05 13:00:00"}]==]
       [==[user.vdb|secret|dump|{"id":12,"WebName":"网站二","WebUrl":"https://two.example/login","UserName":"bob",]==])
qk_scenario(delete_record SESSIONS ${FIVE} delete_record
  QKDB [==[user.vdb|secret|info|"records":3]==] "user.vdb|secret|check|")
qk_scenario(mask_and_copy SESSIONS ${FIVE} mask_and_copy)
qk_scenario(keyboard_popup SESSIONS ${FIVE} keyboard_popup)
qk_scenario(typing_rules SESSIONS ${CREATE} typing_rules
  QKDB [==[user.vdb|secret|dump|"WebName":"站点","WebUrl":"https://a.example","UserName":"alice","PassWord":"pw","Remarks":"第一行\r\n第二行\r\n第三行"]==])
qk_scenario(open_addresses SESSIONS ${FIVE} open_addresses)

# The database password.
qk_scenario(change_password SESSIONS ${FIVE} change_password restart_new_password
  QKDB [==[user.vdb|新密码|dump|"UserName":"frank"]==] "user.vdb|secret|info|!")
qk_scenario(change_password_mismatch SESSIONS ${FIVE} change_password_mismatch restart_secret
  QKDB "user.vdb|abc|info|!")
qk_scenario(change_password_retries SESSIONS ${FIVE} change_password_retries restart_changed)
qk_scenario(change_password_refused SESSIONS ${FIVE} change_password_refused restart_secret
  FAULT_SESSIONS change_password_refused)
qk_scenario(change_password_to_empty SESSIONS ${FIVE} change_password_empty restart_empty_entry
  QKDB [==[user.vdb||info|"records":5]==] "user.vdb|secret|info|!")
qk_scenario(reopen_after_failed_change SESSIONS ${FIVE} reopen_after_failed_change restart_secret)
qk_scenario(no_database_after_failed_change SESSIONS ${FIVE} no_database_after_failed_change restart_secret
  QKDB [==[user.vdb|secret|info|"records":5]==])

# Ways out.
qk_scenario(exit_button SESSIONS ${CREATE} exit_button QKDB "user.vdb|secret|check|")
qk_scenario(close_main_window SESSIONS ${CREATE} close_main_window esc_main_window QKDB "user.vdb|secret|check|")

# Settings.
qk_scenario(ini_other_database SESSIONS ini_other_database ini_other_database_restart
  FILES "files/other_database.ini>user.ini"
  CONTAINS "user.ini|database=notes.vdb" "user.ini|name=Alice"
  QKDB [==[notes.vdb|secret|info|"records":0]==])
qk_scenario(ini_defaults SESSIONS ini_defaults restart_secret FILES "files/section_only.ini>user.ini")

# A refused protection of the new database (mended: the file is removed).
qk_scenario(create_refused SESSIONS create_refused restart_secret FAULT_SESSIONS create_refused)
qk_scenario(create_refused_then_closed SESSIONS create_refused_closed first_run_again restart_secret
  FAULT_SESSIONS create_refused_closed)

# A runtime error ends the program with -1 (status 255) after its message.
qk_scenario(runtime_error_on_foreign_layout SESSIONS wrong_field_type STATUS 255
  ERROR "the program ended with a runtime error: 运行时出错! 错误代码：5 错误信息：数据或数组类型不匹配"
  PREPARE "|create @/user.vdb id:3 WebName:10:512 WebUrl:10:512 UserName:10:512 PassWord:10:512 Remarks:10:512 Time:10:20"
          "|add @/user.vdb 11 site http://site.example me pw remark yesterday"
          "\\nsecret\\n|--password-stdin passwd @/user.vdb")

# quillkeep-sim itself: a check that fails and a script that runs out.
qk_scenario(script_failure_names_the_line SESSIONS ${FIVE} failing_check STATUS 3
  ERROR "line 4: expected 4 rows in 超级列表框1, saw 5")
qk_scenario(script_running_out_fails SESSIONS ${CREATE} script_runs_out STATUS 3
  ERROR "the end of the script while the program waiting in a window waits")

# Copied secrets leave the clipboard (the simulated clock moves on with
# `wait`; the GUI driver lets the real clock run, so only the short one runs
# on the Win32 window system as well). user.ini's "clipboard" is read and
# never written.
qk_scenario(clipboard_clearing SIM_ONLY SESSIONS ${FIVE} clipboard_clearing)
qk_scenario(clipboard_never SIM_ONLY SESSIONS ${FIVE} clipboard_never FILES "files/clipboard_never.ini>user.ini"
  CONTAINS "user.ini|[user]\r\nclipboard = 0\r\n")
qk_scenario(clipboard_five_seconds SIM_ONLY SESSIONS ${FIVE} clipboard_five_seconds FILES "files/clipboard_five.ini>user.ini")
qk_scenario(clipboard_two_seconds SESSIONS ${FIVE} clipboard_two_seconds FILES "files/clipboard_two.ini>user.ini"
  CONTAINS "user.ini|[user]\r\nclipboard=2\r\n")

# qkdb never locks the notebook out: an empty new notebook password is the
# key of the empty password, which the notebook's empty entry opens.
qk_scenario(qkdb_empty_password_keeps_notebook_open SESSIONS unlock_empty_after_qkdb
  PREPARE "|create @/user.vdb id:3 WebName:10:512 WebUrl:10:512 UserName:10:512 PassWord:10:512 Remarks:10:512 Time:8"
          "|add @/user.vdb 11 site http://site.example me pw remark 2024-03-01"
          "\\nsecret\\n|--password-stdin passwd @/user.vdb"
          "secret\\n\\n|--password-stdin passwd @/user.vdb"
  QKDB [==[user.vdb||info|"magic":"QCDB"]==])

# The lock when away: user.ini's "lock" (minutes without input) and
# "lockwithsession" (the desktop session locking), read and never written.
# A wait moves the tick count of the GUI drivers on at once, so each wait
# costs at most three seconds of real time there.
set(LOCK_RECORDS
  "|create @/user.vdb id:3 WebName:10:512 WebUrl:10:512 UserName:10:512 PassWord:10:512 Remarks:10:512 Time:8"
  "|add @/user.vdb 11 site-one http://one.example alice pw-one note-one 2024-03-01"
  "|add @/user.vdb 12 site-two http://two.example bob pw-two note-two 2024-03-02"
  "|add @/user.vdb 13 site-three http://three.example carol pw-three note-three 2024-03-03"
  "\\nsecret\\n|--password-stdin passwd @/user.vdb")
qk_scenario(lock_when_away SESSIONS lock_idle lock_after_box PREPARE ${LOCK_RECORDS}
  FILES "files/lock_one_minute.ini>user.ini"
  CONTAINS "user.ini|[user]\r\nlock=1\r\n"
  QKDB [==[user.vdb|secret|info|"records":3]==] "user.vdb|secret|check|")
qk_scenario(lock_with_session SESSIONS lock_session PREPARE ${LOCK_RECORDS}
  FILES "files/lock_not_a_number.ini>user.ini")
qk_scenario(lock_off SESSIONS lock_off PREPARE ${LOCK_RECORDS} FILES "files/lock_off.ini>user.ini")

# The pieces program: a hand-made window using what the notebook leaves
# unused, on every desktop.
qk_scenario(pieces_edit_selection PROGRAM pieces SESSIONS pieces/edit_selection)
qk_scenario(pieces_list_clicks PROGRAM pieces SESSIONS pieces/list_clicks)
qk_scenario(pieces_header_refused PROGRAM pieces SESSIONS pieces/header_refused STATUS 3
  ERROR "saw the list has 2 columns")
qk_scenario(pieces_list_editing PROGRAM pieces SESSIONS pieces/list_editing)
qk_scenario(pieces_check_refused PROGRAM pieces SESSIONS pieces/check_refused STATUS 3
  ERROR "saw the list has no check boxes")
qk_scenario(pieces_header_hidden PROGRAM pieces SESSIONS pieces/header_hidden STATUS 3
  ERROR "saw the list shows no column titles")
qk_scenario(pieces_header_shown_again PROGRAM pieces SESSIONS pieces/header_shown_again)
qk_scenario(pieces_window_shown_hidden PROGRAM pieces SESSIONS pieces/window_shown_hidden)
qk_scenario(pieces_edit_heights PROGRAM pieces SESSIONS pieces/edit_heights)
qk_scenario(pieces_window_background PROGRAM pieces SESSIONS pieces/window_background)
qk_scenario(pieces_pixel_outside PROGRAM pieces SESSIONS pieces/pixel_outside STATUS 3
  ERROR "saw a point outside its client area")
qk_scenario(pieces_spin PROGRAM pieces SESSIONS pieces/spin)
qk_scenario(pieces_spin_refused PROGRAM pieces SESSIONS pieces/spin_refused STATUS 3
  ERROR "saw the edit box has no spin control")
qk_scenario(pieces_spin_removed PROGRAM pieces SESSIONS pieces/spin_removed STATUS 3
  ERROR "line 5: expected to \"spin 编辑框_事件\", saw the edit box has no spin control")
qk_scenario(pieces_drag_window PROGRAM pieces SESSIONS pieces/drag_window)
qk_scenario(pieces_drag_turned_off PROGRAM pieces SESSIONS pieces/drag_turned_off)
