package sample.mod;

public class Mod {
    public static String hello() {
        return "sample.mod with " + sample.dep.Dep.name() + " and " + java.sql.Date.valueOf("2026-01-02");
    }
}
