package app;

import java.util.ArrayList;
import java.util.List;

/** The Java side of the end-to-end tests: the first argument picks what it shows. */
public class Probe {
    static {
        // For the startup cache's tests: a VM that dies before main runs.
        if (System.getenv("PROBE_HALT_BEFORE_MAIN") != null) Runtime.getRuntime().halt(134);
    }

    public static void main(String[] args) throws Exception {
        String mode = args.length == 0 ? "args" : args[0];
        switch (mode) {
            case "args": printCodePoints(args); break;
            case "prop": for (int i = 1; i < args.length; i++) System.out.println(args[i] + "=" + System.getProperty(args[i])); break;
            case "env": for (int i = 1; i < args.length; i++) System.out.println(args[i] + "=" + System.getenv(args[i])); break;
            case "throw": throw new IllegalStateException("boom");
            case "handler":
                Thread.setDefaultUncaughtExceptionHandler((t, e) -> System.out.println("handler: " + t.getName() + " " + e));
                throw new IllegalStateException("handled");
            case "exit": System.out.println("exiting"); System.exit(Integer.parseInt(args[1])); break;
            case "deep": System.out.println("caught: " + overflowDepth()); break;
            case "threads": runThreads(); break;
            case "hook": waitForSignal(); break;
            default: System.out.println("unknown mode " + mode);
        }
    }

    /** One line per argument: its code points. */
    static void printCodePoints(String[] args) {
        System.out.println(args.length + " arguments");
        for (String arg : args) {
            StringBuilder line = new StringBuilder("[");
            arg.codePoints().forEach(c -> line.append(line.length() > 1 ? " " : "").append(String.format("U+%04X", c)));
            System.out.println(line.append("]"));
        }
    }

    static int depth;

    static void recurse() { depth++; recurse(); }

    static boolean overflowDepth() {
        try {
            recurse();
            return false;
        } catch (StackOverflowError e) {
            return depth > 1000;
        }
    }

    static void runThreads() throws InterruptedException {
        List<Thread> threads = new ArrayList<>();
        int[] done = new int[4];
        for (int i = 0; i < 4; i++) {
            final int n = i;
            threads.add(new Thread(() -> done[n] = n + 1));
        }
        for (Thread t : threads) t.start();
        for (Thread t : threads) t.join();
        Thread late = new Thread(() -> {
            try { Thread.sleep(200); } catch (InterruptedException e) { return; }
            System.out.println("non-daemon thread finished");
        });
        // Printed first, so that a busy machine cannot put the late line before it.
        System.out.println("threads: " + (done[0] + done[1] + done[2] + done[3]));
        late.start();
    }

    static void waitForSignal() throws InterruptedException {
        Runtime.getRuntime().addShutdownHook(new Thread(() -> System.out.println("shutdown hook ran")));
        System.out.println("waiting");
        Thread.sleep(60_000);
        System.out.println("not interrupted");
    }
}
