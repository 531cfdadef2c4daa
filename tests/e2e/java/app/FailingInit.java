package app;

/** A main class whose static initializer throws. */
public class FailingInit {
    static final int VALUE = fail();

    static int fail() {
        throw new IllegalStateException("no value");
    }

    public static void main(String[] args) {
        System.out.println(VALUE);
    }
}
