package app;

import java.awt.Color;
import java.awt.SplashScreen;
import java.io.BufferedReader;
import java.io.InputStreamReader;
import javax.swing.JFrame;
import javax.swing.SwingUtilities;

/**
 * The Java side of the splash screen test. It reports the splash screen it
 * finds, then waits for a line on standard input before it opens a blue
 * window, and for another before it reports the splash again and exits.
 */
public class SplashProbe {
    public static void main(String[] args) throws Exception {
        BufferedReader input = new BufferedReader(new InputStreamReader(System.in));
        SplashScreen splash = SplashScreen.getSplashScreen();
        System.out.println("splash: " + (splash == null ? "none" : splash.getImageURL()));
        input.readLine();
        SwingUtilities.invokeAndWait(() -> {
            JFrame frame = new JFrame("SplashProbe window");
            frame.getContentPane().setBackground(Color.BLUE);
            frame.setBounds(0, 0, 320, 240);
            frame.setVisible(true);
        });
        System.out.println("window shown");
        input.readLine();
        System.out.println("splash visible after the window: " + (splash != null && splash.isVisible()));
        System.exit(0);
    }
}
