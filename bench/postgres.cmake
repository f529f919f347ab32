# The PostgreSQL commit benchmark measures libpq COPY and prepared statements beside the driver.
if(TARGET pg_commit_bench)
    target_link_libraries(pg_commit_bench PRIVATE PkgConfig::LIBPQ)
endif()
if(TARGET bench_move)
    target_link_libraries(bench_move PRIVATE PkgConfig::LIBPQ PkgConfig::SQLITE3)
endif()
