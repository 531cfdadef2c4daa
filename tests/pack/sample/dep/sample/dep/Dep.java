package sample.dep;

public class Dep {
    public static String name() { return "sample.dep"; }
}
