# Install rules of a system-wide installation (the Debian package of scripts/package.sh):
# the programs in bin, their helper programs in lib/jotterbase, the default files of a new
# program folder in share/jotterbase. The programs find one another and the default files
# relative to their own folder (see src/settings/program_folder.h), so the prefix is free.
install(TARGETS jotterbase jotterbase-cli RUNTIME DESTINATION bin)
install(TARGETS jotterbase-transfer IndexBld RUNTIME DESTINATION lib/jotterbase)
foreach(f ${JB_DEFAULT_FILES})
  install(FILES ${PROJECT_SOURCE_DIR}/assets/${f} DESTINATION share/jotterbase)
endforeach()

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${packaging}/jotterbase.desktop DESTINATION share/applications)
install(FILES ${packaging}/org.jotterbase.Jotterbase.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/jotterbase.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 48x48 256x256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/${size}/jotterbase.png DESTINATION share/icons/hicolor/${size}/apps)
endforeach()
install(FILES ${packaging}/jotterbase.1 ${packaging}/jotterbase-cli.1 DESTINATION share/man/man1)
install(FILES ${packaging}/jotterbase-cli.bash-completion DESTINATION share/bash-completion/completions
        RENAME jotterbase-cli)
