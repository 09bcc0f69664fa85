# Copies the program's settings (res/config/*.xml, *.conf) and toolbar pictures
# (res/toolbar/*.bmp) into the config folder beside the program. The program
# only reads UIConfig.xml, so it is always refreshed; WorkParam.xml is kept
# once there (the login dialog edits it).
file(GLOB settings LIST_DIRECTORIES false ${SRC}/config/*.xml ${SRC}/config/*.conf)
foreach(f ${settings})
  get_filename_component(name ${f} NAME)
  if(NOT name STREQUAL "WorkParam.xml" OR NOT EXISTS ${DST}/${name})
    file(COPY ${f} DESTINATION ${DST})
  endif()
endforeach()
file(GLOB pictures ${SRC}/toolbar/*.bmp)
if(pictures)
  file(COPY ${pictures} DESTINATION ${DST}/toolbar)
endif()
