module sample.mod {
    requires sample.dep;
    requires java.sql;
    exports sample.mod;
}
