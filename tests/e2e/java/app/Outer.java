package app;

/** A main class that is nested: configured as app.Outer$Inner. */
public class Outer {
    public static class Inner {
        public static void main(String[] args) {
            System.out.println("inner main with " + args.length + " arguments");
        }
    }
}
